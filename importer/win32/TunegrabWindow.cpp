#include "importer/win32/TunegrabWindow.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cctype>

#include "common/importer_window.h"
#include "importer/win32/acm_mp3_decoder.h"
#include "importer/win32/mf_decoder.h"
#include "importer/win32/resource.h"

using namespace tunegrab;

namespace {
constexpr int IDC_CLOSE = importer_window::CloseCommand;
constexpr int IDC_INPUT = importer_window::InputEdit;
constexpr int IDC_CONVERT = importer_window::ConvertCommand;
constexpr int IDC_FOLDER = importer_window::FolderEdit;
constexpr int IDC_REASON = importer_window::ReasonText;
}  // namespace

namespace {

constexpr UINT WM_APP_PROGRESS = WM_APP + 1;
constexpr int ClientWidth = 532;
constexpr int ClientHeight = 252;
constexpr DWORD ChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

struct Job {
  ConvertRequest* request;
  ConvertResult* result;
};

DWORD WINAPI ConversionThread(LPVOID parameter) {
  Job* job = static_cast<Job*>(parameter);
  *job->result = ConvertSong(*job->request);
  return 0;
}

}  // namespace

TunegrabWindow::TunegrabWindow(HINSTANCE instance) : instance_(instance) {}

TunegrabWindow::~TunegrabWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (font_) DeleteObject(font_);
}

bool TunegrabWindow::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TUNEGRAB));
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = TUNEGRAB_WINDOW_CLASS;
  return RegisterClassExA(&wc) != 0;
}

bool TunegrabWindow::Create() {
  HDC screen = GetDC(nullptr);
  dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT frame{0, 0, Px(ClientWidth), Px(ClientHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
  hwnd_ = CreateWindowExA(WS_EX_CONTROLPARENT, TUNEGRAB_WINDOW_CLASS, importer_window::Title, style, CW_USEDEFAULT, CW_USEDEFAULT,
                          frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance_, this);
  return hwnd_ != nullptr;
}

LRESULT CALLBACK TunegrabWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TunegrabWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TunegrabWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

LRESULT TunegrabWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: Form_Load(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
    case DM_GETDEFID: return MAKELRESULT(IDC_CONVERT, DC_HASDEFID);
    case WM_APP_PROGRESS: OnProgress(static_cast<int>(wParam)); return 0;
    case WM_CLOSE: Close_Click(); return 0;
    case WM_DESTROY:
      hwnd_ = nullptr;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

HWND TunegrabWindow::AddControl(const char* className, const char* text, DWORD style, int id, int left, int top,
                                int width, int height, DWORD exStyle) {
  HWND control = CreateWindowExA(exStyle, className, text, style, Px(left), Px(top), Px(width), Px(height), hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return control;
}

std::string TunegrabWindow::TextOf(int id) const {
  HWND control = GetDlgItem(hwnd_, id);
  int length = GetWindowTextLengthA(control);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  GetWindowTextA(control, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  return text;
}

void TunegrabWindow::Form_Load() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  font_ = CreateFontIndirectA(&metrics.lfMessageFont);

  // Creation order is the tab order; each label names the box after it.
  const DWORD edit = ChildStyle | WS_TABSTOP | ES_AUTOHSCROLL;
  const DWORD button = ChildStyle | WS_TABSTOP | BS_PUSHBUTTON;
  AddControl("STATIC", "&Audio file to import (WAV, MP3, M4A, FLAC, Ogg, AIFF, ...):", ChildStyle, IDC_INPUT_LABEL, 12, 12,
             420, 16);
  AddControl("EDIT", "", edit, IDC_INPUT, 12, 30, 412, 23, WS_EX_CLIENTEDGE);
  AddControl("BUTTON", "&Browse...", button, IDC_BROWSE_INPUT, 432, 29, 88, 25);
  AddControl("STATIC", "&Destination folder (the game's music folder):", ChildStyle, IDC_FOLDER_LABEL, 12, 64, 420, 16);
  AddControl("EDIT", "", edit, IDC_FOLDER, 12, 82, 412, 23, WS_EX_CLIENTEDGE);
  AddControl("BUTTON", "B&rowse...", button, IDC_BROWSE_FOLDER, 432, 81, 88, 25);
  AddControl("BUTTON", "&Match the loudness of the game's songs", ChildStyle | WS_TABSTOP | BS_AUTOCHECKBOX,
             IDC_MATCH_LOUDNESS, 12, 116, 420, 20);
  CheckDlgButton(hwnd_, IDC_MATCH_LOUDNESS, BST_CHECKED);
  AddControl(PROGRESS_CLASSA, "", ChildStyle, IDC_PROGRESS, 12, 146, 508, 16);
  AddControl("STATIC", "Choose an audio file and the folder for the new song, then press Convert.",
             ChildStyle | SS_LEFT | SS_NOPREFIX, IDC_STATUS, 12, 170, 508, 36);
  // Why the last conversion made no song, for the song manager to read;
  // the status line above shows the same failure to a person.
  AddControl("STATIC", "", (ChildStyle & ~WS_VISIBLE) | SS_LEFT | SS_NOPREFIX, IDC_REASON, 12, 206, 300, 16);
  AddControl("BUTTON", "&Convert", button | BS_DEFPUSHBUTTON, IDC_CONVERT, 336, 214, 88, 27);
  AddControl("BUTTON", "Close", button, IDC_CLOSE, 432, 214, 88, 27);
  SendDlgItemMessageA(hwnd_, IDC_PROGRESS, PBM_SETRANGE32, 0, 100);
}

void TunegrabWindow::OnCommand(WORD id) {
  switch (id) {
    case IDOK:
    case IDC_CONVERT: Convert_Click(); break;
    case IDC_BROWSE_INPUT: BrowseInput_Click(); break;
    case IDC_BROWSE_FOLDER: BrowseFolder_Click(); break;
    case IDCANCEL:
    case IDC_CLOSE: Close_Click(); break;
  }
}

void TunegrabWindow::SetBusy(bool busy) {
  busy_ = busy;
  for (int id : {IDC_INPUT, IDC_FOLDER, IDC_BROWSE_INPUT, IDC_BROWSE_FOLDER, IDC_MATCH_LOUDNESS, IDC_CONVERT})
    EnableWindow(GetDlgItem(hwnd_, id), !busy);
  SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(busy ? IDC_WAIT : IDC_ARROW)));
}

// Runs the conversion on a worker thread and handles this window's messages
// (progress, repainting) until it has ended.
void TunegrabWindow::RunConversionWaiting(ConvertRequest& request, ConvertResult& result) {
  Job job{&request, &result};
  HANDLE thread = CreateThread(nullptr, 0, ConversionThread, &job, 0, nullptr);
  if (!thread) {
    result.outcome = Outcome::Fail("The conversion could not be started.");
    return;
  }
  bool quit = false;
  int quitCode = 0;
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        quitCode = static_cast<int>(message.wParam);
        continue;
      }
      if (IsDialogMessageA(hwnd_, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  CloseHandle(thread);
  if (quit) PostQuitMessage(quitCode);
}

void TunegrabWindow::Convert_Click() {
  if (busy_) return;
  ConvertRequest request;
  request.input = TextOf(IDC_INPUT);
  request.destinationFolder = TextOf(IDC_FOLDER);
  while (request.destinationFolder.size() > 3 &&
         (request.destinationFolder.back() == '\\' || request.destinationFolder.back() == '/'))
    request.destinationFolder.pop_back();
  request.matchLoudness = IsDlgButtonChecked(hwnd_, IDC_MATCH_LOUDNESS) == BST_CHECKED;
  AcmMp3Decoder mp3;
  MfDecoder media;
  request.mp3 = &mp3;
  request.media = &media;
  HWND window = hwnd_;
  request.progress = [window](int percent) { PostMessageA(window, WM_APP_PROGRESS, static_cast<WPARAM>(percent), 0); };

  SetBusy(true);
  OnProgress(0);
  SetDlgItemTextA(hwnd_, IDC_STATUS, "Converting...");
  SetDlgItemTextA(hwnd_, IDC_REASON, "");
  ConvertResult result;
  RunConversionWaiting(request, result);
  SetBusy(false);
  OnProgress(result.outcome.ok ? 100 : 0);
  SetDlgItemTextA(hwnd_, IDC_STATUS, StatusText(result).c_str());
  SetDlgItemTextA(hwnd_, IDC_REASON, ReasonText(result).c_str());
  if (closeWhenDone_) DestroyWindow(hwnd_);
}

void TunegrabWindow::BrowseInput_Click() {
  char path[MAX_PATH] = {};
  std::string current = TextOf(IDC_INPUT);
  if (current.size() < sizeof path) lstrcpynA(path, current.c_str(), sizeof path);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = hwnd_;
  dialog.lpstrFilter =
      "Audio files\0*.wav;*.mp3;*.m4a;*.aac;*.mp4;*.flac;*.ogg;*.oga;*.opus;*.aif;*.aiff;*.aifc;*.wma\0"
      "All files (*.*)\0*.*\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = sizeof path;
  dialog.lpstrTitle = "Choose the audio file to import";
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
  if (GetOpenFileNameA(&dialog)) SetDlgItemTextA(hwnd_, IDC_INPUT, path);
}

void TunegrabWindow::BrowseFolder_Click() {
  BROWSEINFOA info{};
  char name[MAX_PATH] = {};
  info.hwndOwner = hwnd_;
  info.pszDisplayName = name;
  info.lpszTitle = "Choose the folder for the new song (the game's data\\audio\\music folder):";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info);
  if (!chosen) return;
  char path[MAX_PATH] = {};
  if (SHGetPathFromIDListA(chosen, path)) SetDlgItemTextA(hwnd_, IDC_FOLDER, path);
  CoTaskMemFree(chosen);
}

void TunegrabWindow::Close_Click() {
  if (busy_) {
    closeWhenDone_ = true;  // after the conversion has ended and cleaned up
    return;
  }
  DestroyWindow(hwnd_);
}

bool TunegrabWindow::Label_Mnemonic(const MSG& message) {
  if (message.message != WM_SYSCHAR || busy_) return false;
  const struct {
    char key;
    int target;
  } labels[] = {{'a', IDC_INPUT}, {'d', IDC_FOLDER}};
  const char key = static_cast<char>(std::tolower(static_cast<unsigned char>(message.wParam)));
  for (const auto& label : labels) {
    if (key != label.key) continue;
    HWND edit = GetDlgItem(hwnd_, label.target);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    return true;
  }
  return false;
}

void TunegrabWindow::OnProgress(int percent) { SendDlgItemMessageA(hwnd_, IDC_PROGRESS, PBM_SETPOS, percent, 0); }
