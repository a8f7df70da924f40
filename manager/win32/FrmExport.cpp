#include "manager/win32/FrmExport.h"

#include <iterator>
#include <vector>

#include "manager/win32/Art.h"
#include "manager/win32/resource.h"

namespace {

constexpr int ClientWidthTwips = 6420;
constexpr int ClientHeightTwips = 3435;
// The controls inside Frame1 are placed relative to it.
constexpr int FrameLeft = 1560;
constexpr int FrameTop = 240;
constexpr DWORD ChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr DWORD Button = ChildStyle | WS_TABSTOP | BS_PUSHBUTTON;
constexpr const char* FrameCaption =
    "Fill the textboxes with the required data and press 'Export song'";

// In the tab order: Text1, Command2, Command4, Command3, Command1.
const winui::ControlEntry Controls[] = {
    // Unicode: a destination of any name.
    {"EDIT", "", ChildStyle | WS_TABSTOP | ES_AUTOHSCROLL, IDC_EXPORT_TEXT1, FrameLeft + 600, FrameTop + 1320,
     3135, 300, WS_EX_CLIENTEDGE, winui::KeepPlace, true},
    {"BUTTON", "...", Button, IDC_EXPORT_COMMAND2, FrameLeft + 3720, FrameTop + 1320, 495, 300},
    {"BUTTON", "&Help", Button, IDC_EXPORT_COMMAND4, 120, 2760, 1290, 495},
    {"BUTTON", "&Close", Button, IDC_EXPORT_COMMAND3, 4800, 2760, 1455, 495},
    {"BUTTON", "&Export song!", Button, IDC_EXPORT_COMMAND1, 3240, 2760, 1455, 495},
    {"STATIC", "Song to export:", ChildStyle | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, IDC_EXPORT_LABEL1,
     FrameLeft + 240, FrameTop + 480, 3495, 255},
    {"STATIC", "Save the exported song as (path and filename):", ChildStyle | SS_LEFT, IDC_EXPORT_LABEL2,
     FrameLeft + 240, FrameTop + 960, 4155, 315},
    {"BUTTON", FrameCaption, ChildStyle | BS_GROUPBOX, IDC_EXPORT_FRAME1, FrameLeft, FrameTop, 4695, 2295},
    // The dialog's picture: the program's logo, fitted to the box's width.
    {"STATIC", "", ChildStyle | SS_BITMAP | SS_CENTERIMAGE | SS_SUNKEN, IDC_EXPORT_PICICON, 120, 120, 1290,
     2415},
};

}  // namespace

FrmExportWindow::~FrmExportWindow() {
  if (picture_) DeleteObject(picture_);
  if (frameFont_) DeleteObject(frameFont_);
}

void FrmExportWindow::FitCaption() {
  // A group box cannot wrap its caption: where the system font is wider
  // than the design's, the caption gets a font small enough to fit.
  HWND frame = GetDlgItem(hwnd_, IDC_EXPORT_FRAME1);
  if (frameFont_) {
    SendMessageA(frame, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    DeleteObject(frameFont_);
    frameFont_ = nullptr;
  }
  RECT box;
  GetClientRect(frame, &box);
  const int room = box.right - MulDiv(24, dpi_, 96);
  LOGFONTA smaller{};
  GetObjectA(font_, sizeof smaller, &smaller);
  if (smaller.lfHeight == 0) smaller.lfHeight = -MulDiv(8, dpi_, 72);
  const int step = smaller.lfHeight < 0 ? 1 : -1;
  for (int tries = 0; tries < 6 && TextWidth(frameFont_ ? frameFont_ : font_, FrameCaption) > room; ++tries) {
    smaller.lfHeight += step;  // one pixel smaller
    smaller.lfWidth = 0;
    if (frameFont_) DeleteObject(frameFont_);
    frameFont_ = CreateFontIndirectA(&smaller);
  }
  if (frameFont_) SendMessageA(frame, WM_SETFONT, reinterpret_cast<WPARAM>(frameFont_), TRUE);
}

void FrmExportWindow::ShowPicture() {
  HWND picIcon = GetDlgItem(hwnd_, IDC_EXPORT_PICICON);
  RECT box;
  GetClientRect(picIcon, &box);
  const int width = box.right, height = MulDiv(box.right, 232, 141);
  HBITMAP old = picture_;
  picture_ = winui::LoadArt(instance_, LogoArt, width, height);
  SendMessageA(picIcon, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture_));
  if (old) DeleteObject(old);
  // The picture sized the box to itself: back to the design's box.
  PlaceAsDesigned(IDC_EXPORT_PICICON);
}

void FrmExportWindow::Show(HWND owner) {
  if (hwnd_) {
    form_.Form_Activate();
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
    return;
  }
  ShowModeless(owner);
}

void FrmExportWindow::OnCreate() {
  SetWindowTextA(hwnd_, ExportCaption);
  SizeAndCentre(ClientWidthTwips, ClientHeightTwips);
  AddControls(Controls, std::size(Controls));
  SetCancelButton(IDC_EXPORT_COMMAND3);
  SendDlgItemMessageA(hwnd_, IDC_EXPORT_TEXT1, EM_LIMITTEXT, MAX_PATH - 1, 0);
  FitCaption();
  ShowPicture();
  const int order[] = {IDC_EXPORT_TEXT1,  IDC_EXPORT_COMMAND2, IDC_EXPORT_COMMAND4,
                       IDC_EXPORT_COMMAND3, IDC_EXPORT_COMMAND1, IDC_EXPORT_LABEL1,
                       IDC_EXPORT_LABEL2, IDC_EXPORT_PICICON,  IDC_EXPORT_FRAME1};
  Order(order, static_cast<int>(std::size(order)));
  form_.Form_Load();
}

void FrmExportWindow::OnDpiChanged() {
  FitCaption();
  ShowPicture();
}

void FrmExportWindow::OnCommand(WORD id) {
  switch (id) {
    case IDC_EXPORT_COMMAND1: form_.Command1_Click(); break;
    case IDC_EXPORT_COMMAND2: form_.Command2_Click(); break;
    case IDC_EXPORT_COMMAND3: form_.Command3_Click(); break;
    case IDC_EXPORT_COMMAND4: form_.Command4_Click(); break;
    default: break;
  }
}

void FrmExportWindow::OnActivate(WORD state) {
  if (state != WA_INACTIVE) form_.Form_Activate();
}

LRESULT FrmExportWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return TRUE;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam));
      return FALSE;
    case WM_CLOSE:
      form_.Command3_Click();
      return TRUE;
    default: return Default(message, wParam, lParam);
  }
}

std::string FrmExportWindow::Text1() { return ControlText(IDC_EXPORT_TEXT1); }

void FrmExportWindow::SetText1(const std::string& text) { SetControlText(IDC_EXPORT_TEXT1, text); }

void FrmExportWindow::SetLabel1(const std::string& caption) {
  SetDlgItemTextA(hwnd_, IDC_EXPORT_LABEL1, caption.c_str());
}

void FrmExportWindow::SetBusy(bool busy) {
  ShowWaitPointer(busy);
  if (hwnd_) EnableWindow(GetDlgItem(hwnd_, IDC_EXPORT_COMMAND1), busy ? FALSE : TRUE);
}
