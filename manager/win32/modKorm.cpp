#include "manager/win32/modKorm.h"

#include <commctrl.h>

int ListViewSongList::Count() const {
  return static_cast<int>(SendMessageA(hwnd_, LVM_GETITEMCOUNT, 0, 0));
}

std::string ListViewSongList::Text(int index) const {
  char buffer[MAX_PATH + 1] = {};
  LVITEMA item{};
  item.iSubItem = 0;
  item.pszText = buffer;
  item.cchTextMax = MAX_PATH;
  SendMessageA(hwnd_, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return buffer;
}

unsigned ListViewSongList::GetItemState(int index, unsigned mask) const {
  return static_cast<unsigned>(SendMessageA(hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(index), mask));
}

void ListViewSongList::SetItemState(int index, unsigned state, unsigned mask) {
  LVITEMA item{};
  item.mask = LVIF_STATE;
  item.state = state;
  item.stateMask = mask;
  SendMessageA(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void ListViewSongList::Clear() { SendMessageA(hwnd_, LVM_DELETEALLITEMS, 0, 0); }

void ListViewSongList::Add(const std::string& text) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = Count();
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void FlattenHeader(HWND listView) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(listView, LVM_GETHEADER, 0, 0));
  if (!header) return;
  LONG style = GetWindowLongA(header, GWL_STYLE);
  SetWindowLongA(header, GWL_STYLE, style & ~HDS_BUTTONS);
}
