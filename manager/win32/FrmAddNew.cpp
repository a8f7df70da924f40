#include "manager/win32/FrmAddNew.h"

#include <iterator>

#include "common/win32/Dpi.h"
#include "common/win32/MessageLoop.h"
#include "manager/win32/SongDrop.h"

#include "manager/win32/platform/Win32Importer.h"
#include "manager/win32/platform/Win32Platform.h"
#include "manager/win32/resource.h"

namespace {

constexpr int ClientWidthTwips = 6450;
constexpr int ClientHeightTwips = 3420;
constexpr DWORD ChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
// Frame1's place: the controls inside it are designed relative to it.
constexpr int FrameLeft = 1560, FrameTop = 240, FrameWidth = 4695;
constexpr int FrameCaptionMargin = 120;
constexpr const char* FrameCaption = "Fill the textboxes with the required data and press 'Make'";
constexpr int MinFontPixels = 9;
constexpr int IconPixels = 48;
constexpr DWORD Button = ChildStyle | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD Edit = ChildStyle | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD Label = ChildStyle | SS_LEFT | SS_NOPREFIX;

// Created in the tab order: the buttons, then the boxes; Frame1 last, so
// that it lies beneath the controls it holds.
const winui::ControlEntry Controls[] = {
    {"BUTTON", "&Make!", Button, IDC_ADDNEW_COMMAND1, 3240, 2760, 1455, 495},
    {"BUTTON", "&Close", Button, IDC_ADDNEW_COMMAND3, 4800, 2760, 1455, 495},
    {"BUTTON", "&Help", Button, IDC_ADDNEW_COMMAND4, 120, 2760, 1290, 495},
    {"BUTTON", "...", Button, IDC_ADDNEW_COMMAND2, FrameLeft + 3720, FrameTop + 840, 495, 300},
    {"EDIT", "", Edit, IDC_ADDNEW_TEXT2, FrameLeft + 600, FrameTop + 1680, 1455, 300, WS_EX_CLIENTEDGE},
    // Unicode: a music file of any name.
    {"EDIT", "", Edit, IDC_ADDNEW_TEXT1, FrameLeft + 600, FrameTop + 840, 3135, 300, WS_EX_CLIENTEDGE,
     winui::KeepPlace, true},
    {"STATIC", ".str", Label, IDC_ADDNEW_LABEL1, FrameLeft + 2160, FrameTop + 1733, 210, 195},
    {"STATIC", AddNewLabel2, Label, IDC_ADDNEW_LABEL2, FrameLeft + 240, FrameTop + 480, 3375, 195},
    {"STATIC", "Save song as: (8 characters max.):", Label, IDC_ADDNEW_LABEL3, FrameLeft + 240,
     FrameTop + 1320, 3015, 255},
    {"STATIC", "", ChildStyle | SS_OWNERDRAW, IDC_ADDNEW_PICICON, 120, 120, 1290, 2415},
    {"BUTTON", FrameCaption, ChildStyle | BS_GROUPBOX, IDC_ADDNEW_FRAME1, FrameLeft, FrameTop, FrameWidth, 2295},
};

}  // namespace

FrmAddNewWindow::~FrmAddNewWindow() {
  if (icon_) DestroyIcon(icon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
}

HFONT FrmAddNewWindow::CreateFormFont(const LOGFONTA& messageFont) {
  // The frame's caption must fit on its top edge; a system font wider than
  // the one the dialog was designed with is made smaller until it does.
  LOGFONTA font = messageFont;
  const int room = Px(FrameWidth) - 2 * Px(FrameCaptionMargin);
  for (;;) {
    HFONT candidate = CreateFontIndirectA(&font);
    if (TextWidth(candidate, FrameCaption) <= room || font.lfHeight >= -MinFontPixels) return candidate;
    DeleteObject(candidate);
    font.lfHeight += font.lfHeight < 0 ? 1 : -1;
  }
}

void FrmAddNewWindow::GrowLabels() {
  for (const winui::ControlEntry& label : Controls) {
    if (label.style != Label) continue;
    const int needed = TextWidth(font_, label.text) + 2;
    const int limit = Px(FrameLeft + FrameWidth - FrameCaptionMargin) - Px(label.left);
    if (needed > Px(label.width))
      SetWindowPos(GetDlgItem(hwnd_, label.id), nullptr, 0, 0, needed < limit ? needed : limit,
                   Px(label.height), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void FrmAddNewWindow::LoadIcons() {
  if (icon_) DestroyIcon(icon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
  const int iconSize = MulDiv(IconPixels, dpi_, 96), smallSize = winui::SmallIconSide(dpi_);
  icon_ = static_cast<HICON>(
      LoadImageA(instance_, MAKEINTRESOURCEA(IDI_TUNEDECK), IMAGE_ICON, iconSize, iconSize, 0));
  smallIcon_ = static_cast<HICON>(
      LoadImageA(instance_, MAKEINTRESOURCEA(IDI_TUNEDECK), IMAGE_ICON, smallSize, smallSize, 0));
  SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
}

void FrmAddNewWindow::OnCreate() {
  LoadIcons();
  SetWindowTextA(hwnd_, AddNewCaption);
  SizeAndCentre(ClientWidthTwips, ClientHeightTwips);
  AddControls(Controls, std::size(Controls));
  SendDlgItemMessageA(hwnd_, IDC_ADDNEW_TEXT2, EM_SETLIMITTEXT, SongNameMaxLength, 0);
  GrowLabels();
  SetCancelButton(IDC_ADDNEW_COMMAND3);
  SetFocus(GetDlgItem(hwnd_, IDC_ADDNEW_COMMAND1));
  DragAcceptFiles(hwnd_, TRUE);
  if (form_) form_->Form_Load();
}

void FrmAddNewWindow::OnDpiChanged() {
  LoadIcons();
  GrowLabels();
  InvalidateRect(GetDlgItem(hwnd_, IDC_ADDNEW_PICICON), nullptr, TRUE);
}

LRESULT FrmAddNewWindow::OnDrawItem(WPARAM id, const DRAWITEMSTRUCT& item) {
  if (id != IDC_ADDNEW_PICICON) return TRUE;
  RECT area = item.rcItem;
  FillRect(item.hDC, &area, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(item.hDC, &area, EDGE_SUNKEN, BF_RECT);
  const int size = MulDiv(IconPixels, dpi_, 96);
  const int x = (area.left + area.right - size) / 2;
  const int y = area.top + (area.right - area.left - size) / 2;
  if (icon_) DrawIconEx(item.hDC, x, y, icon_, size, size, 0, nullptr, DI_NORMAL);
  return TRUE;
}

void FrmAddNewWindow::OnCommand(WORD id, WORD code) {
  if (!form_) return;
  switch (id) {
    case IDC_ADDNEW_TEXT1:
      if (code == EN_CHANGE && !settingText1_) form_->Text1_Change();
      break;
    case IDC_ADDNEW_COMMAND1: form_->Command1_Click(); break;
    case IDC_ADDNEW_COMMAND2: form_->Command2_Click(); break;
    case IDC_ADDNEW_COMMAND3: form_->Command3_Click(); break;  // also Esc
    case IDC_ADDNEW_COMMAND4: form_->Command4_Click(); break;
    default: break;
  }
}

void FrmAddNewWindow::OnDropFiles(HDROP drop) {
  const std::vector<std::string> files = TakeDroppedFiles(drop);
  if (form_) form_->Form_FilesDropped(files);
}

void FrmAddNewWindow::OnClose() {
  if (form_) form_->Form_QueryUnload();
}

LRESULT FrmAddNewWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case WM_CLOSE:  // the title bar's close box, Alt+F4
      OnClose();
      return TRUE;
    case WM_DRAWITEM: return OnDrawItem(wParam, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    default: return Default(message, wParam, lParam);
  }
}

std::string FrmAddNewWindow::TextOf(int id) const {
  HWND control = GetDlgItem(hwnd_, id);
  int length = GetWindowTextLengthA(control);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  length = GetWindowTextA(control, text.data(), length + 1);
  text.resize(static_cast<size_t>(length > 0 ? length : 0));
  return text;
}

std::string FrmAddNewWindow::Text1() { return ControlText(IDC_ADDNEW_TEXT1); }

void FrmAddNewWindow::SetText1(const std::string& text) {
  settingText1_ = true;
  SetControlText(IDC_ADDNEW_TEXT1, text);
  settingText1_ = false;
}

std::string FrmAddNewWindow::Text2() { return TextOf(IDC_ADDNEW_TEXT2); }

void FrmAddNewWindow::SetText2(const std::string& text) {
  SetDlgItemTextA(hwnd_, IDC_ADDNEW_TEXT2, text.c_str());
}

void FrmAddNewWindow::SetHourglass(bool on) { ShowWaitPointer(on); }

void FrmAddNewWindow::DoEvents() {
  winui::HandleWaitingMessages([this](MSG& message) { return hwnd_ && IsDialogMessageW(hwnd_, &message); });
}

void FrmAddNewWindow::Unload() { Close(); }

void ShowFrmAddNewDialog(HINSTANCE instance, HWND owner, SongList& songs, Platform& platform) {
  FrmAddNewWindow window(instance);
  Win32MessageSink messages([&window] { return window.hwnd(); });
  Win32Importer importer;
  FrmAddNew form(window, songs, platform, importer, messages);
  window.Attach(&form);
  window.ShowModal(owner);
}
