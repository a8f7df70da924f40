#include "manager/win32/FrmAddNew.h"

#include "manager/win32/SongDrop.h"

#include "manager/win32/platform/Win32Importer.h"
#include "manager/win32/platform/Win32Platform.h"
#include "manager/win32/resource.h"

namespace {

constexpr int ClientWidthTwips = 6450;
constexpr int ClientHeightTwips = 3420;
constexpr int TwipsPerPixel = 15;
constexpr DWORD ChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr DWORD DialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD DialogExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
// Frame1's place: the controls inside it are designed relative to it.
constexpr int FrameLeft = 1560, FrameTop = 240, FrameWidth = 4695;
constexpr int FrameCaptionMargin = 120;
constexpr const char* FrameCaption = "Fill the textboxes with the required data and press 'Make'";
constexpr int MinFontPixels = 9;
constexpr int IconPixels = 48;

// An empty dialog: the controls are created at their designed places.
struct alignas(4) EmptyDialogTemplate {
  DLGTEMPLATE header;
  WORD menu = 0, windowClass = 0, title = 0;
};

}  // namespace

FrmAddNewWindow::~FrmAddNewWindow() {
  if (font_) DeleteObject(font_);
  if (icon_) DestroyIcon(icon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
}

int FrmAddNewWindow::Px(int twips) const { return MulDiv(twips / TwipsPerPixel, dpi_, 96); }

void FrmAddNewWindow::ShowModal(HWND owner) {
  owner_ = owner;
  HDC screen = GetDC(nullptr);
  dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  EmptyDialogTemplate dialog{};
  dialog.header.style = DialogStyle;
  dialog.header.dwExtendedStyle = DialogExStyle;
  DialogBoxIndirectParamA(instance_, &dialog.header, owner, DialogProc,
                          reinterpret_cast<LPARAM>(this));
  hwnd_ = nullptr;
}

HWND FrmAddNewWindow::AddControl(const char* className, const char* text, DWORD style, int id,
                                 int left, int top, int width, int height, DWORD exStyle) {
  HWND control = CreateWindowExA(exStyle, className, text, style, Px(left), Px(top), Px(width),
                                 Px(height), hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_,
                                 nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return control;
}

int FrmAddNewWindow::TextWidth(HFONT font, const char* text) const {
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  return size.cx;
}

HFONT FrmAddNewWindow::FittingFont(LOGFONTA font) const {
  // The frame's caption must fit on its top edge; a system font wider than
  // the one the dialog was designed with is made smaller until it does.
  const int room = Px(FrameWidth) - 2 * Px(FrameCaptionMargin);
  for (;;) {
    HFONT candidate = CreateFontIndirectA(&font);
    if (TextWidth(candidate, FrameCaption) <= room || font.lfHeight >= -MinFontPixels)
      return candidate;
    DeleteObject(candidate);
    font.lfHeight += font.lfHeight < 0 ? 1 : -1;
  }
}

void FrmAddNewWindow::AddLabel(const char* text, int id, int left, int top, int width, int height) {
  // A caption wider than its design grows to the right, inside the frame.
  HWND label = AddControl("STATIC", text, ChildStyle | SS_LEFT | SS_NOPREFIX, id, left, top, width,
                          height);
  const int needed = TextWidth(font_, text) + 2;
  const int limit = Px(FrameLeft + FrameWidth - FrameCaptionMargin) - Px(left);
  if (needed > Px(width))
    SetWindowPos(label, nullptr, 0, 0, needed < limit ? needed : limit, Px(height),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrmAddNewWindow::PlaceOnOwner() {
  // The client area as designed, centred on the main window, on the screen.
  RECT frame{0, 0, Px(ClientWidthTwips), Px(ClientHeightTwips)};
  AdjustWindowRectEx(&frame, DialogStyle, FALSE, DialogExStyle);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  RECT work, around;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  if (!owner_ || !GetWindowRect(owner_, &around)) around = work;
  int x = (around.left + around.right - width) / 2, y = (around.top + around.bottom - height) / 2;
  if (x > work.right - width) x = work.right - width;
  if (x < work.left) x = work.left;
  if (y > work.bottom - height) y = work.bottom - height;
  if (y < work.top) y = work.top;
  SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrmAddNewWindow::CreateControls() {
  // Created in the tab order: the buttons, then the boxes.
  const DWORD button = ChildStyle | WS_TABSTOP | BS_PUSHBUTTON;
  AddControl("BUTTON", "&Make!", button, IDC_ADDNEW_COMMAND1, 3240, 2760, 1455, 495);
  AddControl("BUTTON", "&Close", button, IDC_ADDNEW_COMMAND3, 4800, 2760, 1455, 495);
  AddControl("BUTTON", "&Help", button, IDC_ADDNEW_COMMAND4, 120, 2760, 1290, 495);
  AddControl("BUTTON", "...", button, IDC_ADDNEW_COMMAND2, FrameLeft + 3720, FrameTop + 840, 495,
             300);
  const DWORD edit = ChildStyle | WS_TABSTOP | ES_AUTOHSCROLL;
  HWND text2 = AddControl("EDIT", "", edit, IDC_ADDNEW_TEXT2, FrameLeft + 600, FrameTop + 1680,
                          1455, 300, WS_EX_CLIENTEDGE);
  SendMessageA(text2, EM_SETLIMITTEXT, SongNameMaxLength, 0);
  AddControl("EDIT", "", edit, IDC_ADDNEW_TEXT1, FrameLeft + 600, FrameTop + 840, 3135, 300,
             WS_EX_CLIENTEDGE);

  AddLabel(".str", IDC_ADDNEW_LABEL1, FrameLeft + 2160, FrameTop + 1733, 210, 195);
  AddLabel(AddNewLabel2, IDC_ADDNEW_LABEL2, FrameLeft + 240,
           FrameTop + 480, 3375, 195);
  AddLabel("Save song as: (8 characters max.):", IDC_ADDNEW_LABEL3, FrameLeft + 240,
           FrameTop + 1320, 3015, 255);
  AddControl("STATIC", "", ChildStyle | SS_OWNERDRAW, IDC_ADDNEW_PICICON, 120, 120, 1290, 2415);
  // Last, so that it lies beneath the controls it holds.
  AddControl("BUTTON", FrameCaption, ChildStyle | BS_GROUPBOX, IDC_ADDNEW_FRAME1, FrameLeft,
             FrameTop, FrameWidth, 2295);
}

void FrmAddNewWindow::OnInitDialog() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  font_ = FittingFont(metrics.lfMessageFont);
  const int iconSize = MulDiv(IconPixels, dpi_, 96);
  icon_ = static_cast<HICON>(
      LoadImageA(instance_, MAKEINTRESOURCEA(IDI_TUNEDECK), IMAGE_ICON, iconSize, iconSize, 0));
  smallIcon_ = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDI_TUNEDECK), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
  SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  SetWindowTextA(hwnd_, AddNewCaption);
  PlaceOnOwner();
  CreateControls();
  SetFocus(GetDlgItem(hwnd_, IDC_ADDNEW_COMMAND1));
  DragAcceptFiles(hwnd_, TRUE);
  if (form_) form_->Form_Load();
}

void FrmAddNewWindow::OnDrawIcon(const DRAWITEMSTRUCT& item) {
  RECT area = item.rcItem;
  FillRect(item.hDC, &area, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(item.hDC, &area, EDGE_SUNKEN, BF_RECT);
  const int size = MulDiv(IconPixels, dpi_, 96);
  const int x = (area.left + area.right - size) / 2;
  const int y = area.top + (area.right - area.left - size) / 2;
  if (icon_) DrawIconEx(item.hDC, x, y, icon_, size, size, 0, nullptr, DI_NORMAL);
}

void FrmAddNewWindow::OnCommand(WORD id, WORD code) {
  if (!form_) return;
  switch (id) {
    case IDC_ADDNEW_TEXT1:
      if (code == EN_CHANGE && !settingText1_) form_->Text1_Change();
      break;
    case IDC_ADDNEW_COMMAND1: form_->Command1_Click(); break;
    case IDC_ADDNEW_COMMAND2: form_->Command2_Click(); break;
    case IDC_ADDNEW_COMMAND3:
    case IDCANCEL:  // Esc: "&Close" is the cancel button
      form_->Command3_Click();
      break;
    case IDC_ADDNEW_COMMAND4: form_->Command4_Click(); break;
    default: break;
  }
}

bool FrmAddNewWindow::OnSetCursor() {
  if (!hourglass_) return false;
  SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
  return true;
}

INT_PTR CALLBACK FrmAddNewWindow::DialogProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<FrmAddNewWindow*>(lParam);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
  }
  auto* self = reinterpret_cast<FrmAddNewWindow*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  return self ? self->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR FrmAddNewWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return FALSE;  // the focus is set
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DROPFILES: {
      const std::vector<std::string> files = TakeDroppedFiles(reinterpret_cast<HDROP>(wParam));
      if (form_) form_->Form_FilesDropped(files);
      return TRUE;
    }
    case WM_CLOSE:  // the title bar's close box, Alt+F4
      if (form_) form_->Form_QueryUnload();
      return TRUE;
    case WM_DRAWITEM:
      if (wParam == IDC_ADDNEW_PICICON) OnDrawIcon(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_SETCURSOR:
      if (!OnSetCursor()) return FALSE;
      SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    default:
      return FALSE;
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

std::string FrmAddNewWindow::Text1() { return TextOf(IDC_ADDNEW_TEXT1); }

void FrmAddNewWindow::SetText1(const std::string& text) {
  settingText1_ = true;
  SetDlgItemTextA(hwnd_, IDC_ADDNEW_TEXT1, text.c_str());
  settingText1_ = false;
}

std::string FrmAddNewWindow::Text2() { return TextOf(IDC_ADDNEW_TEXT2); }

void FrmAddNewWindow::SetText2(const std::string& text) {
  SetDlgItemTextA(hwnd_, IDC_ADDNEW_TEXT2, text.c_str());
}

void FrmAddNewWindow::SetHourglass(bool on) {
  hourglass_ = on;
  SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(on ? IDC_WAIT : IDC_ARROW)));
}

void FrmAddNewWindow::DoEvents() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (IsDialogMessageA(hwnd_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void FrmAddNewWindow::Unload() {
  if (hwnd_) EndDialog(hwnd_, 0);
}

void ShowFrmAddNewDialog(HINSTANCE instance, HWND owner, IMainView& mainWindow,
                         Platform& platform) {
  FrmAddNewWindow window(instance);
  Win32MessageSink messages([&window] { return window.hwnd(); });
  Win32Importer importer;
  FrmAddNew form(window, mainWindow, platform, importer, messages);
  window.Attach(&form);
  window.ShowModal(owner);
}
