// A stand-in for the importer with the same window contract, for the song
// manager's end-to-end tests: a top-level window with the importer's title,
// the two edit boxes, the convert and close commands and the reason text of
// common/importer_window.h. Its convert
// copies the input file's bytes to <destination>\<input name up to its
// last dot>.asf (through a temporary file), so a test knows exactly what to
// expect; an input that does not begin like a music file (plain text
// renamed, say) is not copied, and the reason text says why.
// Built three ways (STANDIN_MODE): 0 works, 1 never opens its window,
// 2 hangs in convert. Every variant ends by itself after a few minutes, so
// a failing test never leaves it behind for long.
#include <windows.h>

#include <string>
#include <vector>

#include "common/importer_window.h"

#ifndef STANDIN_MODE
#define STANDIN_MODE 0
#endif

namespace {

constexpr UINT LifetimeMs = 180000;

std::string TextOf(HWND window, int id) {
  char text[1024] = {};
  GetDlgItemTextA(window, id, text, sizeof text);
  return text;
}

bool CopyBytes(const std::string& from, const std::string& to) {
  HANDLE in = CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  std::vector<char> bytes(GetFileSize(in, nullptr));
  DWORD got = 0;
  bool ok = ReadFile(in, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
            got == bytes.size();
  CloseHandle(in);
  if (!ok) return false;
  const std::string temp = to + ".part";
  HANDLE out = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  ok = WriteFile(out, bytes.data(), got, &put, nullptr) && put == got;
  CloseHandle(out);
  if (ok) ok = MoveFileExA(temp.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
  if (!ok) DeleteFileA(temp.c_str());
  return ok;
}

// The first bytes of a WAV, MP3, FLAC, Ogg, AIFF or MP4 file.
bool LooksLikeMusic(const std::string& path) {
  HANDLE in = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  char head[8] = {};
  DWORD got = 0;
  ReadFile(in, head, sizeof head, &got, nullptr);
  CloseHandle(in);
  const std::string start(head, got);
  for (const char* magic : {"RIFF", "ID3", "fLaC", "OggS", "FORM"})
    if (start.rfind(magic, 0) == 0) return true;
  return start.size() == 8 && start.substr(4) == "ftyp";
}

void Convert(HWND window) {
  SetDlgItemTextA(window, importer_window::ReasonText, "");
  if (STANDIN_MODE == 2) {
    Sleep(LifetimeMs);
    return;
  }
  const std::string input = TextOf(window, importer_window::InputEdit);
  std::string folder = TextOf(window, importer_window::FolderEdit);
  const std::string produced = importer_window::ProducedSongName(input.substr(input.find_last_of('\\') + 1));
  if (produced.empty() || folder.empty()) return;
  if (!LooksLikeMusic(input)) {
    SetDlgItemTextA(window, importer_window::ReasonText, "This file holds no music that can be read.");
    return;
  }
  if (folder.back() != '\\') folder += '\\';
  CopyBytes(input, folder + produced);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == importer_window::ConvertCommand) Convert(window);
      if (LOWORD(wParam) == importer_window::CloseCommand) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  SetTimer(nullptr, 0, LifetimeMs, nullptr);
  if (STANDIN_MODE != 1) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "TunegrabStandIn";
    RegisterClassA(&wc);
    HWND window = CreateWindowA("TunegrabStandIn", importer_window::Title, WS_OVERLAPPEDWINDOW, 0, 0,
                                360, 160, nullptr, nullptr, instance, nullptr);
    const DWORD edit = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL;
    CreateWindowA("EDIT", "", edit, 10, 10, 330, 22, window,
                  reinterpret_cast<HMENU>(importer_window::InputEdit), instance, nullptr);
    CreateWindowA("EDIT", "", edit, 10, 40, 330, 22, window,
                  reinterpret_cast<HMENU>(importer_window::FolderEdit), instance, nullptr);
    CreateWindowA("BUTTON", "Convert", WS_CHILD | WS_VISIBLE, 10, 70, 100, 26, window,
                  reinterpret_cast<HMENU>(importer_window::ConvertCommand), instance, nullptr);
    CreateWindowA("BUTTON", "Close", WS_CHILD | WS_VISIBLE, 120, 70, 100, 26, window,
                  reinterpret_cast<HMENU>(importer_window::CloseCommand), instance, nullptr);
    CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 230, 70, 110, 60, window,
                  reinterpret_cast<HMENU>(importer_window::ReasonText), instance, nullptr);
    ShowWindow(window, show);
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER && message.hwnd == nullptr) break;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
