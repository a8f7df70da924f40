#include "common/win32/Dpi.h"

namespace winui {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);  // Windows 10 1703 and later
constexpr int DialogDpiChangeDisableAll = 1;                          // DDC_DISABLE_ALL

FARPROC User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? GetProcAddress(user32, name) : nullptr;
}

template <typename Fn>
Fn Lookup(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(User32Function(name)));
}

}  // namespace

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : DesignDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : DesignDpi;
}

int WindowDpi(HWND window) {
  static const auto getDpiForWindow = Lookup<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

SIZE FrameSize(int width, int height, DWORD style, DWORD exStyle, int dpi) {
  static const auto adjustForDpi = Lookup<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  RECT frame{0, 0, width, height};
  if (!adjustForDpi || !adjustForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

LOGFONTA MessageFont(int dpi) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  LOGFONTA font = metrics.lfMessageFont;
  // The system gives the font for its own DPI.
  const int screen = ScreenDpi();
  if (dpi != screen) {
    font.lfHeight = MulDiv(font.lfHeight, dpi, screen);
    font.lfWidth = MulDiv(font.lfWidth, dpi, screen);
  }
  return font;
}

void KeepDialogManagerFromRescaling(HWND dialog) {
  static const auto setBehavior = Lookup<SetDialogDpiChangeBehaviorFn>("SetDialogDpiChangeBehavior");
  if (setBehavior) setBehavior(dialog, DialogDpiChangeDisableAll, DialogDpiChangeDisableAll);
}

int SmallIconSide(int dpi) { return MulDiv(GetSystemMetrics(SM_CXSMICON), dpi, ScreenDpi()); }

HBITMAP LoadArt(HINSTANCE instance, const TwoSizeArt& art, int width, int height) {
  // Nearer to the large bitmap once past the middle of 1x and 1.5x.
  const bool large = art.largeId && width * 4 > art.normalWidth * 5;
  const int id = large ? art.largeId : art.normalId;
  return static_cast<HBITMAP>(
      LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, width, height, LR_DEFAULTCOLOR));
}

}  // namespace winui
