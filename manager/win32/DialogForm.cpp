#include "manager/win32/DialogForm.h"

namespace {

constexpr int TwipsPerPixel = 15;

// A dialog template without controls, menu, class or title: a DWORD-aligned
// DLGTEMPLATE followed by three empty WORD arrays.
struct EmptyTemplate {
  alignas(4) WORD words[12] = {};
  explicit EmptyTemplate(DWORD style, DWORD exStyle) {
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

}  // namespace

DialogForm::~DialogForm() {
  if (hwnd_) {
    // The form's own part is gone already: no more events reach it.
    SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
  }
  if (font_) DeleteObject(font_);
}

void DialogForm::ShowModal(HWND owner) {
  modal_ = true;
  DialogBoxIndirectParamA(instance_, FixedDialog().get(), owner, DialogProc,
                          reinterpret_cast<LPARAM>(this));
}

bool DialogForm::ShowModeless(HWND owner) {
  modal_ = false;
  CreateDialogIndirectParamA(instance_, FixedDialog().get(), owner, DialogProc,
                             reinterpret_cast<LPARAM>(this));
  if (!hwnd_) return false;
  ShowWindow(hwnd_, SW_SHOW);
  return true;
}

void DialogForm::Close() {
  if (!hwnd_) return;
  if (modal_) {
    EndDialog(hwnd_, 0);
  } else {
    DestroyWindow(hwnd_);
  }
}

int DialogForm::Px(int twips) const { return MulDiv(twips / TwipsPerPixel, dpi_, 96); }

HWND DialogForm::AddControl(const char* className, const char* text, DWORD style, int id, int left,
                            int top, int width, int height, DWORD exStyle) {
  HWND control = CreateWindowExA(exStyle, className, text, style, Px(left), Px(top), Px(width),
                                 Px(height), hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 instance_, nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return control;
}

void DialogForm::SizeAndCentre(int clientWidthTwips, int clientHeightTwips) {
  RECT frame{0, 0, Px(clientWidthTwips), Px(clientHeightTwips)};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_EXSTYLE)));
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  RECT around;
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  if (!owner || !GetWindowRect(owner, &around)) SystemParametersInfoA(SPI_GETWORKAREA, 0, &around, 0);
  int x = (around.left + around.right - width) / 2, y = (around.top + around.bottom - height) / 2;
  // Never off the screen's top or left, where the title bar could not be reached.
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogForm::Order(const int* ids, int count) {
  HWND after = HWND_TOP;
  for (int i = 0; i < count; ++i) {
    HWND control = GetDlgItem(hwnd_, ids[i]);
    SetWindowPos(control, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = control;
  }
}

INT_PTR CALLBACK DialogForm::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<DialogForm*>(lParam);
    SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
    HDC screen = GetDC(nullptr);
    self->dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    self->font_ = CreateFontIndirectA(&metrics.lfMessageFont);
    self->OnInitDialog();
    return TRUE;  // focus to the first control in the tab order
  }
  auto* self = reinterpret_cast<DialogForm*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!self) return FALSE;
  INT_PTR answer = self->Handle(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return answer;
}
