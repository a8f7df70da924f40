// The DPI a window is drawn at, and what follows it: twips to pixels, the
// frame around a client area, the message font and the art's size.
// GetDpiForWindow and its companions are looked up in user32 at run time:
// Windows 7 and 8 lack them, and there the screen's DPI is the window's.
#pragma once

#include <windows.h>

namespace winui {

constexpr int TwipsPerInch = 1440;
constexpr int DesignDpi = 96;

inline int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, TwipsPerInch); }

// The screen's DPI (LOGPIXELSY): the system DPI of a DPI-aware program.
int ScreenDpi();
// The window's DPI; the screen's where the system cannot say.
int WindowDpi(HWND window);
// The window size for a client area of width x height pixels at dpi.
SIZE FrameSize(int width, int height, DWORD style, DWORD exStyle, int dpi);
// The system's message font, sized for dpi.
LOGFONTA MessageFont(int dpi);
// Under Per-Monitor v2 the dialog manager lays dialogs out again by itself
// when their DPI changes; this one's form does it (from its twips) instead.
void KeepDialogManagerFromRescaling(HWND dialog);
// The small (title bar) icon's side at dpi.
int SmallIconSide(int dpi);

// Art drawn at two sizes: the design's and one and a half times it. The
// bitmap resource nearer to width x height is loaded at that size, so that
// it is stretched as little as possible (not at all at 96 and 144 DPI).
struct TwoSizeArt {
  int normalId;
  int largeId;
  int normalWidth;  // pixels of the design-size bitmap
};
HBITMAP LoadArt(HINSTANCE instance, const TwoSizeArt& art, int width, int height);

}  // namespace winui
