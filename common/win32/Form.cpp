#include "common/win32/Form.h"

#include "common/base/text_encoding.h"
#include "common/win32/Dpi.h"

#include <algorithm>
#include <string>

namespace winui {

namespace {

// A dialog template without controls, menu, class or title: a DWORD-aligned
// DLGTEMPLATE followed by three empty WORD arrays.
struct EmptyTemplate {
  alignas(4) WORD words[12] = {};
  EmptyTemplate(DWORD style, DWORD exStyle) {
    words[0] = LOWORD(style);
    words[1] = HIWORD(style);
    words[2] = LOWORD(exStyle);
    words[3] = HIWORD(exStyle);
  }
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words); }
};

const EmptyTemplate& FixedDialog() {
  static const EmptyTemplate fixed(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                                   WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT);
  return fixed;
}

constexpr UINT DpiChangedMessage = 0x02E0;  // WM_DPICHANGED, Windows 8.1 and later
constexpr UINT Keep = SWP_NOZORDER | SWP_NOACTIVATE;

}  // namespace

Form::~Form() {
  if (hwnd_) {
    // The form's own part is gone already: no more events reach it.
    SetWindowLongPtrA(hwnd_, dialog_ ? DWLP_USER : GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (font_) DeleteObject(font_);
}

namespace {

std::wstring WideOfAnsi(const char* text) {
  const int chars = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(chars > 0 ? chars : 1), L'\0');
  if (chars > 0) MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), chars);
  return wide;
}

}  // namespace

bool Form::RegisterFormClass(HINSTANCE instance, const char* windowClass, HICON icon, HICON smallIcon,
                             bool unicode) {
  if (unicode) {
    const std::wstring name = WideOfAnsi(windowClass);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name.c_str();
    return RegisterClassExW(&wc) != 0;
  }
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hIconSm = smallIcon;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = windowClass;
  return RegisterClassExA(&wc) != 0;
}

void Form::ShowModal(HWND owner) {
  dialog_ = modal_ = true;
  DialogBoxIndirectParamA(instance_, FixedDialog().get(), owner, DialogProc,
                          reinterpret_cast<LPARAM>(this));
  hwnd_ = nullptr;
}

bool Form::ShowModeless(HWND owner) {
  dialog_ = true;
  modal_ = false;
  CreateDialogIndirectParamA(instance_, FixedDialog().get(), owner, DialogProc,
                             reinterpret_cast<LPARAM>(this));
  if (!hwnd_) return false;
  ShowWindow(hwnd_, SW_SHOW);
  return true;
}

bool Form::CreateTopLevel(const char* windowClass, const char* title, DWORD style, DWORD exStyle,
                          int clientWidthTwips, int clientHeightTwips) {
  dialog_ = false;
  design_ = {clientWidthTwips, clientHeightTwips};
  // Sized for the screen first; for the window's own DPI once it is known.
  const int screen = ScreenDpi();
  SIZE frame = FrameSize(TwipsToPixels(clientWidthTwips, screen), TwipsToPixels(clientHeightTwips, screen),
                         style, exStyle, screen);
  HWND window = CreateWindowExA(exStyle, windowClass, title, style, CW_USEDEFAULT, CW_USEDEFAULT, frame.cx,
                                frame.cy, nullptr, nullptr, instance_, this);
  if (!window) {
    hwnd_ = nullptr;
    return false;
  }
  if (dpi_ != screen) {
    frame = FrameSize(Px(clientWidthTwips), Px(clientHeightTwips), style, exStyle, dpi_);
    SetWindowPos(window, nullptr, 0, 0, frame.cx, frame.cy, Keep | SWP_NOMOVE);
  }
  return true;
}

void Form::Close() {
  if (!hwnd_) return;
  if (dialog_ && modal_) {
    EndDialog(hwnd_, 0);
  } else {
    DestroyWindow(hwnd_);
  }
}

HFONT Form::CreateFormFont(const LOGFONTA& messageFont) { return CreateFontIndirectA(&messageFont); }

LRESULT Form::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  if (dialog_) return FALSE;
  return IsWindowUnicode(hwnd_) ? DefWindowProcW(hwnd_, message, wParam, lParam)
                                : DefWindowProcA(hwnd_, message, wParam, lParam);
}

int Form::Px(int twips) const { return TwipsToPixels(twips, dpi_); }

std::string Form::ControlText(int id) const {
  HWND control = GetDlgItem(hwnd_, id);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  const int length = GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(length > 0 ? length : 0));
  return kickora::Utf8FromWide(text);
}

void Form::SetControlText(int id, const std::string& utf8) {
  SetDlgItemTextW(hwnd_, id, kickora::WideFromUtf8(utf8).c_str());
}

HWND Form::AddControl(const ControlEntry& entry) {
  const HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id));
  HWND control = entry.wide || IsWindowUnicode(hwnd_)
                     ? CreateWindowExW(entry.exStyle, WideOfAnsi(entry.className).c_str(),
                                       WideOfAnsi(entry.text).c_str(), entry.style, Px(entry.left), Px(entry.top),
                                       Px(entry.width), Px(entry.height), hwnd_, id, instance_, nullptr)
                     : CreateWindowExA(entry.exStyle, entry.className, entry.text, entry.style, Px(entry.left),
                                       Px(entry.top), Px(entry.width), Px(entry.height), hwnd_, id, instance_,
                                       nullptr);
  if (!control) return nullptr;
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  placed_.push_back({entry.id, {entry.left, entry.top, entry.width, entry.height}, entry.anchor});
  return control;
}

HWND Form::AddControl(const char* className, const char* text, DWORD style, int id, int left, int top,
                      int width, int height, DWORD exStyle) {
  return AddControl(ControlEntry{className, text, style, id, left, top, width, height, exStyle});
}

void Form::AddControls(const ControlEntry* entries, size_t count) {
  for (size_t i = 0; i < count; ++i) AddControl(entries[i]);
}

void Form::PlaceAsDesigned(int id) {
  for (const Placed& place : placed_) {
    if (place.id != id) continue;
    // twips holds left, top, width, height.
    SetWindowPos(GetDlgItem(hwnd_, id), nullptr, Px(place.twips.left), Px(place.twips.top),
                 Px(place.twips.right), Px(place.twips.bottom), Keep);
  }
}

void Form::SizeAndCentre(int clientWidthTwips, int clientHeightTwips) {
  const SIZE frame =
      FrameSize(Px(clientWidthTwips), Px(clientHeightTwips), static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_STYLE)),
                static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_EXSTYLE)), dpi_);
  RECT work, around;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  if (!owner || !GetWindowRect(owner, &around)) around = work;
  int x = (around.left + around.right - frame.cx) / 2, y = (around.top + around.bottom - frame.cy) / 2;
  // On the work area; its top left wins, where the title bar must be reachable.
  if (x > work.right - frame.cx) x = work.right - frame.cx;
  if (x < work.left) x = work.left;
  if (y > work.bottom - frame.cy) y = work.bottom - frame.cy;
  if (y < work.top) y = work.top;
  SetWindowPos(hwnd_, nullptr, x, y, frame.cx, frame.cy, Keep);
}

void Form::Order(const int* ids, int count) {
  HWND after = HWND_TOP;
  for (int i = 0; i < count; ++i) {
    HWND control = GetDlgItem(hwnd_, ids[i]);
    SetWindowPos(control, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = control;
  }
}

void Form::SetDefaultButton(int id) {
  defaultId_ = id;
  if (dialog_) SendMessageA(hwnd_, DM_SETDEFID, static_cast<WPARAM>(id), 0);
}

int Form::TextWidth(HFONT font, const char* text) const {
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  return size.cx;
}

void Form::ShowWaitPointer(bool on) {
  waitPointer_ = on;
  if (hwnd_) SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(on ? IDC_WAIT : IDC_ARROW)));
}

void Form::MakeFont() { font_ = CreateFormFont(MessageFont(dpi_)); }

void Form::Begin(HWND hwnd) {
  hwnd_ = hwnd;
  dpi_ = WindowDpi(hwnd);
  MakeFont();
}

void Form::Rescale(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  HFONT old = font_;
  MakeFont();
  for (const Placed& place : placed_) {
    HWND control = GetDlgItem(hwnd_, place.id);
    if (reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)) == old)
      SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  LayOut();
  OnDpiChanged();
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, Keep);
  LayOut();
  if (old) DeleteObject(old);
}

void Form::LayOut() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  // A dialog keeps its design; so does a window before it has a size.
  const bool sized = !dialog_ && design_.cx > 0;
  const int extraX = sized ? std::max(0L, client.right - Px(design_.cx)) : 0;
  const int extraY = sized ? std::max(0L, client.bottom - Px(design_.cy)) : 0;
  for (const Placed& place : placed_) {
    const unsigned anchor = place.anchor;
    const int x = Px(place.twips.left) + (anchor & FollowRight ? extraX : 0);
    const int y = Px(place.twips.top) + (anchor & FollowBottom ? extraY : 0);
    const int width = Px(place.twips.right) + (anchor & GrowWidth ? extraX : 0);
    const int height = Px(place.twips.bottom) + (anchor & GrowHeight ? extraY : 0);
    SetWindowPos(GetDlgItem(hwnd_, place.id), nullptr, x, y, width, height, Keep);
  }
  OnLayout();
  // Controls that moved leave their old place behind on a window that grew.
  if (sized && (extraX || extraY)) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form::KeepFocus(WPARAM activation) {
  if (LOWORD(activation) != WA_INACTIVE) return;
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus)) focus_ = focus;
}

void Form::RestoreFocus() {
  HWND target = focus_ && IsWindow(focus_) && IsChild(hwnd_, focus_) && IsWindowEnabled(focus_) ? focus_ : nullptr;
  // The first time, or when that control is gone: the first in the tab order.
  if (!target) target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  if (target && target != hwnd_) SetFocus(target);
}

LRESULT Form::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    // A dialog's manager keeps the focus itself; a window does it here.
    case WM_ACTIVATE:
      if (!dialog_) KeepFocus(wParam);
      break;
    case WM_SETFOCUS:
      if (dialog_) break;
      RestoreFocus();
      return 0;
    case WM_SIZE:
      if (!dialog_ && wParam != SIZE_MINIMIZED) LayOut();
      break;
    case WM_GETMINMAXINFO:
      if (dialog_ || design_.cx <= 0) break;
      {
        // Never smaller than the design, at the window's DPI.
        const SIZE frame = FrameSize(Px(design_.cx), Px(design_.cy), static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_STYLE)),
                                     static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_EXSTYLE)), dpi_);
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {frame.cx, frame.cy};
      }
      return 0;
    case DpiChangedMessage:
      Rescale(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return dialog_ ? TRUE : 0;
    case DM_GETDEFID:
      if (dialog_ || !defaultId_) break;
      return MAKELRESULT(defaultId_, DC_HASDEFID);
    case WM_SETCURSOR:
      if (!waitPointer_) break;
      SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
      if (dialog_) SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_COMMAND:
      // Esc and Enter stand for the cancel and default buttons.
      if (LOWORD(wParam) == IDCANCEL && cancelId_) wParam = MAKEWPARAM(cancelId_, BN_CLICKED);
      if (LOWORD(wParam) == IDOK && defaultId_) wParam = MAKEWPARAM(defaultId_, BN_CLICKED);
      break;
    default: break;
  }
  LRESULT answer = Handle(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd_, dialog_ ? DWLP_USER : GWLP_USERDATA, 0);
    hwnd_ = nullptr;
  }
  return answer;
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Form*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self)
    return IsWindowUnicode(hwnd) ? DefWindowProcW(hwnd, message, wParam, lParam)
                                 : DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_CREATE) {
    self->Begin(hwnd);
    self->OnCreate();
    return 0;
  }
  return self->Dispatch(message, wParam, lParam);
}

INT_PTR CALLBACK Form::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Form*>(lParam);
    SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    KeepDialogManagerFromRescaling(hwnd);
    self->Begin(hwnd);
    self->OnCreate();
    // TRUE: the focus to the first control in the tab order, unless the
    // form has put it somewhere itself.
    HWND focus = GetFocus();
    return focus && IsChild(hwnd, focus) ? FALSE : TRUE;
  }
  auto* self = reinterpret_cast<Form*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!self) return FALSE;
  return static_cast<INT_PTR>(self->Dispatch(message, wParam, lParam));
}

}  // namespace winui
