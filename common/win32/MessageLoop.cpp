#include "common/win32/MessageLoop.h"

namespace winui {

namespace {

void Dispatch(MSG& message, const KeyboardFilter& filter) {
  if (filter && filter(message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

// Every message in the queue; false at WM_QUIT, with its code.
bool HandleQueue(const KeyboardFilter& filter, WPARAM& quitCode) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quitCode = message.wParam;
      return false;
    }
    Dispatch(message, filter);
  }
  return true;
}

}  // namespace

int RunMessageLoop(const KeyboardFilter& filter) {
  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) Dispatch(message, filter);
  return got == 0 ? static_cast<int>(message.wParam) : 1;
}

void HandleWaitingMessages(const KeyboardFilter& filter) {
  WPARAM quitCode = 0;
  if (!HandleQueue(filter, quitCode)) PostQuitMessage(static_cast<int>(quitCode));
}

void WaitHandlingMessages(HANDLE handle, const KeyboardFilter& filter) {
  bool quitting = false;
  WPARAM quitCode = 0;
  for (;;) {
    const DWORD woke = quitting ? WaitForSingleObject(handle, INFINITE)
                                : MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_ALLINPUT,
                                                              MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0 + 1 && !quitting) {
      quitting = !HandleQueue(filter, quitCode);
      continue;
    }
    break;
  }
  if (quitting) PostQuitMessage(static_cast<int>(quitCode));
}

}  // namespace winui
