// A small helper for demonstrations and screenshots: works a window of
// another program the way a user would.
//   uitool click <window title> <control id>
//   uitool text  <window title> <control id> <text>
// Exit status 0 when the window and the control were found.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 4 || (std::strcmp(argv[1], "click") && std::strcmp(argv[1], "text")) ||
      (!std::strcmp(argv[1], "text") && argc < 5)) {
    std::printf("usage: uitool click <window title> <control id>\n"
                "       uitool text <window title> <control id> <text>\n");
    return 2;
  }
  HWND window = FindWindowA(nullptr, argv[2]);
  HWND control = window ? GetDlgItem(window, std::atoi(argv[3])) : nullptr;
  if (!control) {
    std::printf("no control %s in a window \"%s\"\n", argv[3], argv[2]);
    return 1;
  }
  if (!std::strcmp(argv[1], "click"))
    PostMessageA(control, BM_CLICK, 0, 0);
  else
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
  return 0;
}
