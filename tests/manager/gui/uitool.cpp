// A small helper for demonstrations, screenshots and timings: works a
// window of another program the way a user would.
//   uitool click <window title> <control id>
//   uitool text  <window title> <control id> <text>
//   uitool time  <window title> <control id>   clicks, waits for a message
//                box, prints the milliseconds from click to box and its text,
//                and answers it with OK
// Exit status 0 when the window and the control (and the box) were found.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct BoxSearch {
  DWORD pid;
  HWND box;
};

BOOL CALLBACK FindBox(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<BoxSearch*>(parameter);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (pid == search->pid && IsWindowVisible(window) && !std::strcmp(name, "#32770") &&
      GetDlgItem(window, 0xFFFF)) {
    search->box = window;
    return FALSE;
  }
  return TRUE;
}

int TimeToMessageBox(HWND window, HWND control) {
  BoxSearch search{0, nullptr};
  GetWindowThreadProcessId(window, &search.pid);
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  PostMessageA(control, BM_CLICK, 0, 0);
  for (int i = 0; i < 120000 && !search.box; ++i) {
    Sleep(1);
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
  }
  QueryPerformanceCounter(&now);
  if (!search.box) {
    std::printf("no message box\n");
    return 1;
  }
  char text[512] = {};
  GetDlgItemTextA(search.box, 0xFFFF, text, sizeof text);
  std::printf("%.0f ms: %s\n", 1000.0 * (now.QuadPart - start.QuadPart) / frequency.QuadPart, text);
  PostMessageA(search.box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(search.box, IDOK)));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool text = argc >= 2 && !std::strcmp(argv[1], "text");
  if (argc < 4 || (text && argc < 5) ||
      (!text && std::strcmp(argv[1], "click") && std::strcmp(argv[1], "time"))) {
    std::printf("usage: uitool click <window title> <control id>\n"
                "       uitool text <window title> <control id> <text>\n"
                "       uitool time <window title> <control id>\n");
    return 2;
  }
  HWND window = FindWindowA(nullptr, argv[2]);
  HWND control = window ? GetDlgItem(window, std::atoi(argv[3])) : nullptr;
  if (!control) {
    std::printf("no control %s in a window \"%s\"\n", argv[3], argv[2]);
    return 1;
  }
  if (text) {
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
    return 0;
  }
  if (!std::strcmp(argv[1], "time")) return TimeToMessageBox(window, control);
  PostMessageA(control, BM_CLICK, 0, 0);
  return 0;
}
