#include "manager/win32/FrmExport.h"

#include <iterator>
#include <vector>

#include "manager/win32/resource.h"

namespace {

constexpr int ClientWidthTwips = 6420;
constexpr int ClientHeightTwips = 3435;
// The controls inside Frame1 are placed relative to it.
constexpr int FrameLeft = 1560;
constexpr int FrameTop = 240;
constexpr DWORD ChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr const char* FrameCaption =
    "Fill the textboxes with the required data and press 'Export song'";

}  // namespace

FrmExportWindow::~FrmExportWindow() {
  if (picture_) DeleteObject(picture_);
  if (frameFont_) DeleteObject(frameFont_);
}

namespace {

int TextWidth(HWND window, HFONT font, const char* text) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return size.cx;
}

}  // namespace

void FrmExportWindow::FitCaption(HWND frame) {
  // A group box cannot wrap its caption: where the system font is wider
  // than the design's, the caption gets a font small enough to fit.
  RECT box;
  GetClientRect(frame, &box);
  const int room = box.right - MulDiv(24, dpi_, 96);
  LOGFONTA smaller{};
  GetObjectA(font_, sizeof smaller, &smaller);
  if (smaller.lfHeight == 0) smaller.lfHeight = -MulDiv(8, dpi_, 72);
  const int step = smaller.lfHeight < 0 ? 1 : -1;
  for (int tries = 0; tries < 6 && TextWidth(frame, frameFont_ ? frameFont_ : font_, FrameCaption) > room;
       ++tries) {
    smaller.lfHeight += step;  // one pixel smaller
    smaller.lfWidth = 0;
    if (frameFont_) DeleteObject(frameFont_);
    frameFont_ = CreateFontIndirectA(&smaller);
  }
  if (frameFont_) SendMessageA(frame, WM_SETFONT, reinterpret_cast<WPARAM>(frameFont_), FALSE);
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

void FrmExportWindow::OnInitDialog() {
  SetWindowTextA(hwnd_, ExportCaption);
  SizeAndCentre(ClientWidthTwips, ClientHeightTwips);

  // In the tab order: Text1, Command2, Command4, Command3, Command1.
  AddControl("EDIT", "", ChildStyle | WS_TABSTOP | ES_AUTOHSCROLL, IDC_EXPORT_TEXT1,
             FrameLeft + 600, FrameTop + 1320, 3135, 300, WS_EX_CLIENTEDGE);
  SendDlgItemMessageA(hwnd_, IDC_EXPORT_TEXT1, EM_LIMITTEXT, MAX_PATH - 1, 0);
  const DWORD button = ChildStyle | WS_TABSTOP | BS_PUSHBUTTON;
  AddControl("BUTTON", "...", button, IDC_EXPORT_COMMAND2, FrameLeft + 3720, FrameTop + 1320, 495, 300);
  AddControl("BUTTON", "&Help", button, IDC_EXPORT_COMMAND4, 120, 2760, 1290, 495);
  AddControl("BUTTON", "&Close", button, IDC_EXPORT_COMMAND3, 4800, 2760, 1455, 495);
  AddControl("BUTTON", "&Export song!", button, IDC_EXPORT_COMMAND1, 3240, 2760, 1455, 495);

  AddControl("STATIC", "Song to export:", ChildStyle | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS,
             IDC_EXPORT_LABEL1, FrameLeft + 240, FrameTop + 480, 3495, 255);
  AddControl("STATIC", "Save the exported song as (path and filename):", ChildStyle | SS_LEFT,
             IDC_EXPORT_LABEL2, FrameLeft + 240, FrameTop + 960, 4155, 315);
  HWND frame = AddControl("BUTTON", FrameCaption, ChildStyle | BS_GROUPBOX, IDC_EXPORT_FRAME1,
                          FrameLeft, FrameTop, 4695, 2295);
  FitCaption(frame);

  // The dialog's picture: the program's logo, fitted to the box's width.
  HWND picIcon = AddControl("STATIC", "", ChildStyle | SS_BITMAP | SS_CENTERIMAGE | SS_SUNKEN,
                            IDC_EXPORT_PICICON, 120, 120, 1290, 2415);
  RECT box;
  GetClientRect(picIcon, &box);
  const int width = box.right, height = MulDiv(box.right, 232, 141);
  picture_ = static_cast<HBITMAP>(
      LoadImageA(instance_, MAKEINTRESOURCEA(IDB_LOGO), IMAGE_BITMAP, width, height, 0));
  SendMessageA(picIcon, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture_));
  SetWindowPos(picIcon, nullptr, Px(120), Px(120), Px(1290), Px(2415), SWP_NOZORDER | SWP_NOACTIVATE);

  const int order[] = {IDC_EXPORT_TEXT1,  IDC_EXPORT_COMMAND2, IDC_EXPORT_COMMAND4,
                       IDC_EXPORT_COMMAND3, IDC_EXPORT_COMMAND1, IDC_EXPORT_LABEL1,
                       IDC_EXPORT_LABEL2, IDC_EXPORT_PICICON,  IDC_EXPORT_FRAME1};
  Order(order, static_cast<int>(std::size(order)));
  form_.Form_Load();
}

void FrmExportWindow::OnCommand(WORD id) {
  switch (id) {
    case IDC_EXPORT_COMMAND1: form_.Command1_Click(); break;
    case IDC_EXPORT_COMMAND2: form_.Command2_Click(); break;
    case IDC_EXPORT_COMMAND3:
    case IDCANCEL: form_.Command3_Click(); break;
    case IDC_EXPORT_COMMAND4: form_.Command4_Click(); break;
    default: break;
  }
}

bool FrmExportWindow::OnSetCursor() {
  if (!busy_) return false;
  SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
  return true;
}

INT_PTR FrmExportWindow::Handle(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) form_.Form_Activate();
      return FALSE;
    case WM_SETCURSOR:
      if (!OnSetCursor()) return FALSE;
      SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_CLOSE:
      form_.Command3_Click();
      return TRUE;
    default:
      return FALSE;
  }
}

std::string FrmExportWindow::Text1() {
  HWND edit = GetDlgItem(hwnd_, IDC_EXPORT_TEXT1);
  std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
  GetWindowTextA(edit, text.data(), static_cast<int>(text.size()));
  return text.data();
}

void FrmExportWindow::SetText1(const std::string& text) {
  SetDlgItemTextA(hwnd_, IDC_EXPORT_TEXT1, text.c_str());
}

void FrmExportWindow::SetLabel1(const std::string& caption) {
  SetDlgItemTextA(hwnd_, IDC_EXPORT_LABEL1, caption.c_str());
}

void FrmExportWindow::SetBusy(bool busy) {
  busy_ = busy;
  if (!hwnd_) return;
  EnableWindow(GetDlgItem(hwnd_, IDC_EXPORT_COMMAND1), busy ? FALSE : TRUE);
  // The pointer changes at once, not only at the next mouse move.
  SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(busy ? IDC_WAIT : IDC_ARROW)));
}
