#include "manager/win32/frmAbout.h"

#include <iterator>

#include "manager/win32/Art.h"
#include "manager/win32/resource.h"

namespace {

constexpr int ClientWidthTwips = 7200;
constexpr int ClientHeightTwips = 4800;
constexpr int Right = 1560;  // left edge of everything beside the band
constexpr DWORD ChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr DWORD Button = ChildStyle | WS_TABSTOP;
constexpr DWORD Label = ChildStyle | SS_LEFT | SS_NOPREFIX;
constexpr DWORD Link = Label | SS_NOTIFY;
constexpr COLORREF LinkColour = RGB(0, 0, 192);
// The band's lines sit 35 twips left of their place, and are 7 pixels wide.
constexpr int BandOffsetTwips = 35;
constexpr int BandPenPixels = 7;

HFONT FontLike(HFONT base, const char* face, int points, int weight, bool underline, int dpi) {
  LOGFONTA font{};
  GetObjectA(base, sizeof font, &font);
  if (face) lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
  if (points) font.lfHeight = -MulDiv(points, dpi, 72);
  if (weight) font.lfWeight = weight;
  font.lfUnderline = underline ? TRUE : FALSE;
  return CreateFontIndirectA(&font);
}

// Created in this order: the buttons first, for the tab order.
const winui::ControlEntry Controls[] = {
    {"BUTTON", "OK", Button | BS_DEFPUSHBUTTON, IDC_ABOUT_CMDOK, 5640, 3300, 1440, 375},
    {"BUTTON", "&System Info...", Button | BS_PUSHBUTTON, IDC_ABOUT_CMDSYSINFO, 5640, 3780, 1440, 375},
    {"STATIC", "KICKORA", Label, IDC_ABOUT_LBLTITLE, 2160, 120, 3720, 495},
    {"STATIC", "MUSIC MANAGER", Label, IDC_ABOUT_LBLTITLE2, 2160, 600, 3720, 330},
    {"STATIC", "Version", Label, IDC_ABOUT_LBLVERSION, 2160, 960, 3720, 255},
    {"STATIC", "", ChildStyle | SS_OWNERDRAW, IDC_ABOUT_PICHELP, 0, 0, 1320, ClientHeightTwips},
    {"STATIC", "", ChildStyle | SS_ICON | SS_NOTIFY | SS_CENTERIMAGE, IDC_ABOUT_PICICON, Right, 240, 480, 480},
    {"STATIC", "", ChildStyle | SS_BITMAP | SS_NOTIFY, IDC_ABOUT_IMAGE1, 6000, 120, 1080, 1770},
    // The partner's logo: its name in a box of its own.
    {"STATIC", "In partnership with pitchsounds.example",
     ChildStyle | SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN | SS_NOTIFY | SS_NOPREFIX, IDC_ABOUT_PICTURE1, Right,
     1380, 4200, 435},
    {"STATIC", "", ChildStyle | SS_ETCHEDHORZ, IDC_ABOUT_LINE1, Right, 2040, 5520, 30},
    {"STATIC", "Made by the Kickora developers. E-Mail:", Label, IDC_ABOUT_LBLDESCRIPTION, Right, 2160, 5520,
     255},
    {"STATIC", MakerEmail, Link, IDC_ABOUT_LABEL2, Right, 2415, 2700, 255},
    {"STATIC", "Converter tonepak by the Kickora developers.", Label, IDC_ABOUT_LABEL1, Right, 2760, 5520, 255},
    {"STATIC", "", ChildStyle | SS_ETCHEDHORZ, IDC_ABOUT_LINE1B, Right, 3120, 5520, 30},
    {"STATIC",
     "Disclaimer: The author cannot be held responsible for any losses incurred, either "
     "directly or indirectly by the use of this program. The user must assume the entire "
     "risk of using the program.",
     Label, IDC_ABOUT_LBLDISCLAIMER, Right, 3300, 3900, 1440},
};

}  // namespace

frmAboutWindow::~frmAboutWindow() {
  for (HGDIOBJ object : {static_cast<HGDIOBJ>(titleFont_), static_cast<HGDIOBJ>(subtitleFont_),
                         static_cast<HGDIOBJ>(linkFont_), static_cast<HGDIOBJ>(logo_)})
    if (object) DeleteObject(object);
  if (icon_) DestroyIcon(icon_);
}

void frmAboutWindow::MakeFonts() {
  for (HFONT* font : {&titleFont_, &subtitleFont_, &linkFont_}) {
    if (*font) DeleteObject(*font);
    *font = nullptr;
  }
  titleFont_ = FontLike(font_, "Arial Black", 18, FW_BLACK, false, dpi_);
  subtitleFont_ = FontLike(font_, "Arial Black", 11, FW_BLACK, false, dpi_);
  linkFont_ = FontLike(font_, nullptr, 0, 0, true, dpi_);
  SendDlgItemMessageA(hwnd_, IDC_ABOUT_LBLTITLE, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), TRUE);
  SendDlgItemMessageA(hwnd_, IDC_ABOUT_LBLTITLE2, WM_SETFONT, reinterpret_cast<WPARAM>(subtitleFont_), TRUE);
  SendDlgItemMessageA(hwnd_, IDC_ABOUT_LABEL2, WM_SETFONT,
                      reinterpret_cast<WPARAM>(underlined_ ? linkFont_ : font_), TRUE);
}

void frmAboutWindow::ShowPictures() {
  if (icon_) DestroyIcon(icon_);
  icon_ = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDI_TUNEDECK), IMAGE_ICON,
                                        Px(480), Px(480), 0));
  SendDlgItemMessageA(hwnd_, IDC_ABOUT_PICICON, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon_));
  PlaceAsDesigned(IDC_ABOUT_PICICON);
  HBITMAP old = logo_;
  logo_ = winui::LoadArt(instance_, LogoArt, Px(1080), Px(1770));
  SendDlgItemMessageA(hwnd_, IDC_ABOUT_IMAGE1, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_));
  if (old) DeleteObject(old);
}

void frmAboutWindow::OnCreate() {
  SizeAndCentre(ClientWidthTwips, ClientHeightTwips);
  AddControls(Controls, std::size(Controls));
  SetDefaultButton(IDC_ABOUT_CMDOK);
  SetCancelButton(IDC_ABOUT_CMDOK);
  MakeFonts();
  ShowPictures();
  form_.Form_Load();
}

void frmAboutWindow::OnDpiChanged() {
  MakeFonts();
  ShowPictures();
}

void frmAboutWindow::OnCommand(WORD id, WORD code) {
  switch (id) {
    case IDC_ABOUT_CMDOK: form_.cmdOK_Click(); break;
    case IDC_ABOUT_CMDSYSINFO: form_.cmdSysInfo_Click(); break;
    case IDC_ABOUT_LABEL2:
      if (code == STN_CLICKED) form_.Label2_Click();
      break;
    case IDC_ABOUT_IMAGE1:
      if (code == STN_CLICKED) form_.Image1_Click();
      break;
    case IDC_ABOUT_PICICON:
      if (code == STN_CLICKED) form_.picIcon_Click();
      break;
    case IDC_ABOUT_PICTURE1:
      if (code == STN_CLICKED) form_.Picture1_Click();
      break;
    default: break;
  }
}

void frmAboutWindow::OnMouseOver(HWND control) {
  // Controls that do not take the mouse pass it to the form itself.
  const int id = control == hwnd_ ? 0 : GetDlgCtrlID(control);
  switch (id) {
    case IDC_ABOUT_LABEL2: form_.Label2_MouseMove(); break;
    case 0:
    case IDC_ABOUT_LABEL1:
    case IDC_ABOUT_LBLDESCRIPTION:
    case IDC_ABOUT_LBLVERSION:
    case IDC_ABOUT_PICHELP:
    case IDC_ABOUT_PICTURE1: form_.Form_MouseMove(); break;
    default: break;
  }
}

void frmAboutWindow::DrawGrayBand(const DRAWITEMSTRUCT& item) {
  const RECT& box = item.rcItem;
  const int widthTwips = MulDiv(box.right - box.left, 1440, dpi_);
  for (const BandLine& line : GrayBand(widthTwips, BandOffsetTwips)) {
    HPEN pen = CreatePen(PS_SOLID, MulDiv(BandPenPixels, dpi_, 96), RGB(line.gray, line.gray, line.gray));
    HGDIOBJ old = SelectObject(item.hDC, pen);
    const int x = box.left + MulDiv(line.x, dpi_, 1440);
    MoveToEx(item.hDC, x, box.top, nullptr);
    LineTo(item.hDC, x, box.bottom);
    SelectObject(item.hDC, old);
    DeleteObject(pen);
  }
}

LRESULT frmAboutWindow::OnColorStatic(HDC dc, HWND control) {
  if (GetDlgCtrlID(control) != IDC_ABOUT_LABEL2) return FALSE;
  SetTextColor(dc, LinkColour);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT frmAboutWindow::OnDrawItem(WPARAM id, const DRAWITEMSTRUCT& item) {
  if (id != IDC_ABOUT_PICHELP) return FALSE;
  DrawGrayBand(item);
  return TRUE;
}

LRESULT frmAboutWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_SETCURSOR:
      OnMouseOver(reinterpret_cast<HWND>(wParam));
      return FALSE;
    case WM_DRAWITEM: return OnDrawItem(wParam, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_CTLCOLORSTATIC:
      return OnColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CLOSE:
      form_.cmdOK_Click();
      return TRUE;
    default: return Default(message, wParam, lParam);
  }
}

void frmAboutWindow::SetCaption(const std::string& caption) { SetWindowTextA(hwnd_, caption.c_str()); }

void frmAboutWindow::SetLblVersion(const std::string& caption) {
  SetDlgItemTextA(hwnd_, IDC_ABOUT_LBLVERSION, caption.c_str());
}

void frmAboutWindow::SetLabel2Underline(bool underlined) {
  if (underlined == underlined_) return;
  underlined_ = underlined;
  HWND label = GetDlgItem(hwnd_, IDC_ABOUT_LABEL2);
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(underlined ? linkFont_ : font_), TRUE);
}
