#include "manager/win32/frmMain.h"

#include <commctrl.h>

#include <iterator>

#include "common/win32/Dpi.h"
#include "common/win32/MessageLoop.h"

#include "manager/win32/Art.h"
#include "manager/win32/FrmAddNew.h"
#include "manager/win32/frmAbout.h"
#include "manager/win32/platform/Win32Platform.h"
#include "manager/win32/resource.h"

namespace {

constexpr int ClientWidthTwips = 7245;
constexpr int ClientHeightTwips = 4620;
constexpr DWORD ChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
// Captions wrap when the system font is wider than the design's.
constexpr DWORD Button = ChildStyle | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE;
constexpr int LogoWidth = 2115, LogoHeight = 3480;
// Wide enough for "Length" and for "99:59".
constexpr int LengthColumnTwips = 780;
// Posted when a tick was refused, so that its message shows once the
// list has finished with the click.
constexpr UINT WM_TICK_REFUSED = WM_APP + 1;
using winui::FollowBottom;
using winui::FollowRight;
using winui::GrowHeight;
using winui::GrowWidth;

const winui::ControlEntry Controls[] = {
    // The left column: logo, a line and the maker's line inside one frame.
    {"STATIC", "", ChildStyle | SS_BITMAP | SS_NOTIFY, IDC_PICLOGO, 210, 210, LogoWidth, LogoHeight},
    {"STATIC", "", ChildStyle | SS_ETCHEDHORZ, IDC_LINE1, 210, 3780, 2115, 30},
    {"STATIC", "Kickora Music Manager\nsongs for FIFA 2001", ChildStyle | SS_CENTER, IDC_LABEL1, 210, 3870,
     2115, 525},
    {"STATIC", "", ChildStyle | SS_SUNKEN, IDC_PICLOGOBIG, 120, 120, 2295, 4335},
    // Long game folders are shortened in the middle on screen; the text stays whole.
    {"STATIC", "", ChildStyle | SS_LEFT | SS_PATHELLIPSIS | SS_NOPREFIX, IDC_LABEL2, 2520, 120, 4455, 375, 0,
     GrowWidth},
    // A window made larger gives its room to the list; the buttons keep to
    // the right edge, Exit to the bottom right corner.
    {WC_LISTVIEWA, "", ChildStyle | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, IDC_LISTVIEW1,
     2520, 600, 2655, 3525, WS_EX_CLIENTEDGE, GrowWidth | GrowHeight},
    // How many songs are ticked, under the list.
    {"STATIC", "0 of 10 songs ticked", ChildStyle | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, IDC_TICKED, 2520,
     4185, 2655, 270, 0, FollowBottom | GrowWidth},
    // The hidden file list that enumerates the music folder's songs.
    // Its height is kept as given, not snapped to whole items of the font.
    {"LISTBOX", "", WS_CHILD | LBS_NOINTEGRALHEIGHT, IDC_TMPFILE, 5280, 0, 1695, 480},
    {"BUTTON", "&Make new song...", Button, IDC_COMMAND1, 5280, 600, 1815, 495, 0, FollowRight},
    {"BUTTON", "&Save Changes", Button, IDC_COMMAND2, 5280, 1200, 1815, 495, 0, FollowRight},
    {"BUTTON", "&Export song from game...", Button, IDC_COMMAND6, 5280, 1800, 1815, 495, 0, FollowRight},
    // Names the song that plays, in the room between the export and help buttons.
    {"STATIC", "", ChildStyle | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, IDC_PLAYING, 5280, 2325, 1815, 285, 0,
     FollowRight},
    {"BUTTON", "&Help", Button, IDC_COMMAND5, 5280, 2640, 1815, 495, 0, FollowRight},
    {"BUTTON", "&About...", Button, IDC_COMMAND3, 5280, 3240, 1815, 495, 0, FollowRight},
    {"BUTTON", "&Exit", Button, IDC_COMMAND4, 5280, 3960, 1815, 495, 0, FollowRight | FollowBottom},
};

}  // namespace

frmMainWindow::frmMainWindow(HINSTANCE instance) : Form(instance) {}

frmMainWindow::~frmMainWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (logo_) DeleteObject(logo_);
  if (smallIcon_) DestroyIcon(smallIcon_);
}

bool frmMainWindow::RegisterWindowClass(HINSTANCE instance) {
  HICON small = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_TUNEDECK), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  return RegisterFormClass(instance, TUNEDECK_WINDOW_CLASS, LoadIconA(instance, MAKEINTRESOURCEA(IDI_TUNEDECK)),
                           small);
}

bool frmMainWindow::Create() {
  return CreateTopLevel(TUNEDECK_WINDOW_CLASS, ProgramTitle,
                        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                        WS_EX_CONTROLPARENT, ClientWidthTwips, ClientHeightTwips);
}

void frmMainWindow::ShowLogo() {
  HBITMAP old = logo_;
  logo_ = winui::LoadArt(instance_, LogoArt, Px(LogoWidth), Px(LogoHeight));
  SendDlgItemMessageA(hwnd_, IDC_PICLOGO, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_));
  if (old) DeleteObject(old);
}

int frmMainWindow::LengthColumnWidth() const { return Px(LengthColumnTwips); }

void frmMainWindow::OnLayout() {
  if (listView_) songs_.FitColumns(LengthColumnWidth());
}

void frmMainWindow::OnCreate() {
  AddControls(Controls, std::size(Controls));
  ShowLogo();
  // The frame goes beneath the column's controls, or it would hide them.
  SetWindowPos(GetDlgItem(hwnd_, IDC_PICLOGOBIG), HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  listView_ = GetDlgItem(hwnd_, IDC_LISTVIEW1);
  songs_.Attach(listView_, GetDlgItem(hwnd_, IDC_TICKED), GetDlgItem(hwnd_, IDC_TMPFILE));
  SendMessageA(listView_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  songs_.AddColumns(LengthColumnWidth());
}

void frmMainWindow::OnDpiChanged() {
  ShowLogo();
  HICON old = smallIcon_;
  const int side = winui::SmallIconSide(dpi_);
  smallIcon_ = static_cast<HICON>(
      LoadImageA(instance_, MAKEINTRESOURCEA(IDI_TUNEDECK), IMAGE_ICON, side, side, 0));
  SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  if (old) DestroyIcon(old);
}

void frmMainWindow::OnCommand(WORD id, WORD code) {
  if (!form_) return;
  switch (id) {
    case IDC_COMMAND1: form_->Command1_Click(); break;
    case IDC_COMMAND2: form_->Command2_Click(); break;
    case IDC_COMMAND3: form_->Command3_Click(); break;
    case IDC_COMMAND4: form_->Command4_Click(); break;
    case IDC_COMMAND5: form_->Command5_Click(); break;
    case IDC_COMMAND6: form_->Command6_Click(); break;
    case IDC_PICLOGO:
      if (code == STN_CLICKED) form_->PicLogo_Click();
      break;
    default: break;
  }
}

void frmMainWindow::UsePlatform(Platform* platform) {
  platform_ = platform;
  if (form_ && platform_ && !songMenu_)
    songMenu_ = std::make_unique<SongListMenu>(hwnd_, listView_, GetDlgItem(hwnd_, IDC_PLAYING), *form_,
                                               *this, *platform_);
}

LRESULT frmMainWindow::OnNotify(const NMHDR& header) {
  if (header.idFrom != IDC_LISTVIEW1 || header.code != LVN_ITEMCHANGING || !form_) return FALSE;
  int index = -1;
  bool ticked = false;
  if (!songs_.IsPlayersTick(reinterpret_cast<const NMLISTVIEW&>(header), index, ticked)) return FALSE;
  songs_.BeginPlayersTick(index);
  const TickAnswer answer = form_->ListView1_ItemCheck(index, ticked);
  songs_.EndPlayersTick();
  if (answer == TickAnswer::Done) return FALSE;  // the list now shows the tick itself
  PostMessageA(hwnd_, WM_TICK_REFUSED, 0, 0);
  return TRUE;  // the box stays as it was
}

void frmMainWindow::OnClose() {
  if (!form_ || form_->Form_QueryUnload()) Unload();
}

void frmMainWindow::OnDestroy() {
  if (songMenu_) songMenu_->Close();
  hwnd_ = nullptr;
  PostQuitMessage(0);
}

LRESULT frmMainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_TICK_REFUSED:
      if (form_) form_->ShowTickLimit();
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

void frmMainWindow::SetLabel2(const std::string& caption) {
  SetDlgItemTextA(hwnd_, IDC_LABEL2, caption.c_str());
}

void frmMainWindow::DisableCommand(MainCommand command) {
  int id = command == MainCommand::Command1   ? IDC_COMMAND1
           : command == MainCommand::Command2 ? IDC_COMMAND2
                                              : IDC_COMMAND6;
  EnableWindow(GetDlgItem(hwnd_, id), FALSE);
}

void frmMainWindow::FlattenHeader() { ::FlattenHeader(listView_); }

void frmMainWindow::EnableCheckBoxes() {
  LRESULT style = SendMessageA(listView_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  // The list gives every song an unticked box: no click of the player's.
  songs_.BeginUpdate();
  SendMessageA(listView_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style | LVS_EX_CHECKBOXES);
  songs_.EndUpdate();
  RedrawWindow(listView_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

void frmMainWindow::SetTiledBackground(const std::string& picturePath) {
  std::string image = picturePath + '\0';
  LVBKIMAGEA background{};
  background.ulFlags = LVBKIF_SOURCE_URL | LVBKIF_STYLE_TILE;
  background.hbm = nullptr;
  background.pszImage = image.data();
  background.cchImageMax = static_cast<UINT>(picturePath.size() + 1);
  background.xOffsetPercent = 0;
  background.yOffsetPercent = 0;
  SendMessageA(listView_, LVM_SETBKIMAGEA, 0, reinterpret_cast<LPARAM>(&background));
  SendMessageA(listView_, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));
}

void frmMainWindow::SetTextBlack() { SendMessageA(listView_, LVM_SETTEXTCOLOR, 0, RGB(0, 0, 0)); }

void frmMainWindow::ShowForm() {
  if (platform_ && form_ && !drop_)
    drop_ = std::make_unique<SongListDropTarget>(hwnd_, listView_, form_->Songs(), *this, *platform_);
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  SetForegroundWindow(hwnd_);
}

void frmMainWindow::Unload() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void frmMainWindow::ShowFrmAddNew() {
  if (form_) ShowFrmAddNewDialog(instance_, hwnd_, form_->Songs(), form_->Services());
}

void frmMainWindow::ShowFrmExport() {
  if (!platform_) return;
  // A second request brings the open dialog forward, for the song now chosen.
  if (export_ && export_->IsOpen()) {
    export_->Show(hwnd_);
    return;
  }
  export_ = std::make_unique<FrmExportWindow>(instance_, *platform_);
  export_->Show(hwnd_);
}

void frmMainWindow::SetHourglass(bool on) {
  // The window takes no clicks while it works through the songs (made or
  // exported), and still paints and answers; a drop that started them has
  // been taken.
  EnableWindow(hwnd_, on ? FALSE : TRUE);
  ShowWaitPointer(on);
  if (!on) SetFocus(listView_);
}

void frmMainWindow::DoEvents() { winui::HandleWaitingMessages(IsDialogKeyMessage); }

SaveAnswer frmMainWindow::AskYesNoCancel(const std::string& text, const std::string& title) {
  switch (MessageBoxA(hwnd_, text.c_str(), title.c_str(), MB_YESNOCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON1)) {
    case IDYES: return SaveAnswer::Yes;
    case IDNO: return SaveAnswer::No;
    default: return SaveAnswer::Cancel;
  }
}

void frmMainWindow::ShowFrmAbout() {
  if (!platform_) return;
  frmAboutWindow about(instance_, *platform_, ReadProgramVersion());
  about.ShowModal(hwnd_);
}
