#include "manager/win32/modKorm.h"

#include <commctrl.h>

void FlattenHeader(HWND listView) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(listView, LVM_GETHEADER, 0, 0));
  if (!header) return;
  LONG style = GetWindowLongA(header, GWL_STYLE);
  SetWindowLongA(header, GWL_STYLE, style & ~HDS_BUTTONS);
}
