// The one message loop of both programs, in its three uses: the program's
// main loop, the messages waiting now (a long task lets the window repaint)
// and a wait for a process or thread that keeps the windows alive. Between
// messages the thread sleeps; nothing polls. Messages are taken in their
// Unicode form, so that a character typed into a Unicode box arrives whole
// (an ANSI window gets it converted, as ever); filters use the W calls.
#pragma once

#include <windows.h>

#include <functional>

namespace winui {

// Keyboard handling before dispatch (IsDialogMessage and the like): true
// when the message has been used and is not to be dispatched.
using KeyboardFilter = std::function<bool(MSG&)>;

// Until WM_QUIT; its exit code.
int RunMessageLoop(const KeyboardFilter& filter);

// Handles the messages waiting now. A WM_QUIT among them ends the handling
// and is posted again, for the main loop to see.
void HandleWaitingMessages(const KeyboardFilter& filter);

// Waits until handle is signalled, handling messages meanwhile. After a
// WM_QUIT the wait goes on without them, and the quit is posted again
// once it is over.
void WaitHandlingMessages(HANDLE handle, const KeyboardFilter& filter);

}  // namespace winui
