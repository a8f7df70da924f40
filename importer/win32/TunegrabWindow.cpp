#include "importer/win32/TunegrabWindow.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cctype>
#include <iterator>

#include "common/base/text_encoding.h"
#include "common/importer_window.h"
#include "common/win32/MessageLoop.h"
#include "importer/core/mp4/mp4_input.h"
#include "importer/win32/acm_mp3_decoder.h"
#include "importer/win32/mf_aac_decoder.h"
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
constexpr int ClientWidthTwips = 532 * 15;
constexpr int ClientHeightTwips = 252 * 15;
constexpr DWORD ChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr DWORD Edit = ChildStyle | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD Button = ChildStyle | WS_TABSTOP | BS_PUSHBUTTON;

// Creation order is the tab order; each label names the box after it.
// Designed in pixels at 96 DPI: 15 twips each.
const winui::ControlEntry Controls[] = {
    {"STATIC", "&Audio file to import (WAV, MP3, M4A, FLAC, Ogg, AIFF, ...):", ChildStyle, IDC_INPUT_LABEL, 180,
     180, 6300, 240},
    {"EDIT", "", Edit, IDC_INPUT, 180, 450, 6180, 345, WS_EX_CLIENTEDGE},
    {"BUTTON", "&Browse...", Button, IDC_BROWSE_INPUT, 6480, 435, 1320, 375},
    {"STATIC", "&Destination folder (the game's music folder):", ChildStyle, IDC_FOLDER_LABEL, 180, 960, 6300,
     240},
    {"EDIT", "", Edit, IDC_FOLDER, 180, 1230, 6180, 345, WS_EX_CLIENTEDGE},
    {"BUTTON", "B&rowse...", Button, IDC_BROWSE_FOLDER, 6480, 1215, 1320, 375},
    {"BUTTON", "&Match the loudness of the game's songs", ChildStyle | WS_TABSTOP | BS_AUTOCHECKBOX,
     IDC_MATCH_LOUDNESS, 180, 1740, 6300, 300},
    {PROGRESS_CLASSA, "", ChildStyle, IDC_PROGRESS, 180, 2190, 7620, 240},
    {"STATIC", "Choose an audio file and the folder for the new song, then press Convert.",
     ChildStyle | SS_LEFT | SS_NOPREFIX, IDC_STATUS, 180, 2550, 7620, 540},
    // Why the last conversion made no song, for the song manager to read;
    // the status line above shows the same failure to a person.
    {"STATIC", "", (ChildStyle & ~WS_VISIBLE) | SS_LEFT | SS_NOPREFIX, IDC_REASON, 180, 3090, 4500, 240},
    {"BUTTON", "&Convert", Button | BS_DEFPUSHBUTTON, IDC_CONVERT, 5040, 3210, 1320, 405},
    {"BUTTON", "Close", Button, IDC_CLOSE, 6480, 3210, 1320, 405},
};

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

TunegrabWindow::TunegrabWindow(HINSTANCE instance) : Form(instance) {}

TunegrabWindow::~TunegrabWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool TunegrabWindow::RegisterWindowClass(HINSTANCE instance) {
  // Unicode, so that its boxes hold a path of any name, typed or sent.
  return RegisterFormClass(instance, TUNEGRAB_WINDOW_CLASS, LoadIconA(instance, MAKEINTRESOURCEA(IDI_TUNEGRAB)),
                           nullptr, true);
}

bool TunegrabWindow::Create() {
  return CreateTopLevel(TUNEGRAB_WINDOW_CLASS, importer_window::Title,
                        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                        WS_EX_CONTROLPARENT, ClientWidthTwips, ClientHeightTwips);
}

bool TunegrabWindow::KeyboardMessage(MSG& message) {
  return hwnd_ && (Label_Mnemonic(message) || IsDialogMessageW(hwnd_, &message));
}

LRESULT TunegrabWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
    case WM_APP_PROGRESS: OnProgress(static_cast<int>(wParam)); return 0;
    case WM_CLOSE: Close_Click(); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
  }
  return Default(message, wParam, lParam);
}

void TunegrabWindow::OnDestroy() { PostQuitMessage(0); }


void TunegrabWindow::OnCreate() {
  AddControls(Controls, std::size(Controls));
  SetDefaultButton(IDC_CONVERT);
  SetCancelButton(IDC_CLOSE);
  CheckDlgButton(hwnd_, IDC_MATCH_LOUDNESS, BST_CHECKED);
  SendDlgItemMessageA(hwnd_, IDC_PROGRESS, PBM_SETRANGE32, 0, 100);
}

void TunegrabWindow::OnCommand(WORD id) {
  switch (id) {
    case IDC_CONVERT: Convert_Click(); break;  // also Enter
    case IDC_BROWSE_INPUT: BrowseInput_Click(); break;
    case IDC_BROWSE_FOLDER: BrowseFolder_Click(); break;
    case IDC_CLOSE: Close_Click(); break;  // also Esc
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
  winui::WaitHandlingMessages(thread, [this](MSG& message) { return KeyboardMessage(message); });
  CloseHandle(thread);
}

void TunegrabWindow::Convert_Click() {
  if (busy_) return;
  ConvertRequest request;
  request.input = ControlText(IDC_INPUT);
  // The song is written through the converter, in the system's code page.
  request.destinationFolder = kickora::AnsiFromUtf8(ControlText(IDC_FOLDER));
  while (request.destinationFolder.size() > 3 &&
         (request.destinationFolder.back() == '\\' || request.destinationFolder.back() == '/'))
    request.destinationFolder.pop_back();
  request.matchLoudness = IsDlgButtonChecked(hwnd_, IDC_MATCH_LOUDNESS) == BST_CHECKED;
  AcmMp3Decoder mp3;
  MfAacDecoder aac;
  MfDecoder sourceReader;
  Mp4AacInput media(&aac, sourceReader);
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
  wchar_t path[MAX_PATH] = {};
  const std::wstring current = kickora::WideFromUtf8(ControlText(IDC_INPUT));
  if (current.size() < MAX_PATH) lstrcpynW(path, current.c_str(), MAX_PATH);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = hwnd_;
  dialog.lpstrFilter =
      L"Audio files\0*.wav;*.mp3;*.m4a;*.aac;*.mp4;*.flac;*.ogg;*.oga;*.opus;*.aif;*.aiff;*.aifc;*.wma\0"
      L"All files (*.*)\0*.*\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = L"Choose the audio file to import";
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
  if (GetOpenFileNameW(&dialog)) SetControlText(IDC_INPUT, kickora::Utf8FromWide(path));
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
