#include "manager/win32/SongListView.h"

namespace {

constexpr unsigned UncheckedImage = 1, CheckedImage = 2;

unsigned StateImage(UINT state) { return (state & LVIS_STATEIMAGEMASK) >> 12; }

}  // namespace

void SongListView::Attach(HWND listView, HWND countLabel, HWND tmpFile) {
  list_ = listView;
  count_ = countLabel;
  tmpFile_ = tmpFile;
}

void SongListView::AddColumns(int lengthWidth) {
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  column.fmt = LVCFMT_LEFT;
  column.pszText = const_cast<char*>("Filename");
  column.cx = lengthWidth;  // fitted below
  SendMessageA(list_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  column.fmt = LVCFMT_RIGHT;
  column.pszText = const_cast<char*>("Length");
  column.iSubItem = 1;
  SendMessageA(list_, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
  FitColumns(lengthWidth);
}

void SongListView::FitColumns(int lengthWidth) {
  RECT inside;
  GetClientRect(list_, &inside);
  // The scroll bar's room is kept even when it is not shown, so the
  // columns do not jump when the list grows past its height.
  const int names = inside.right - lengthWidth - GetSystemMetrics(SM_CXVSCROLL);
  SendMessageA(list_, LVM_SETCOLUMNWIDTH, 0, names > lengthWidth ? names : lengthWidth);
  SendMessageA(list_, LVM_SETCOLUMNWIDTH, 1, lengthWidth);
}

void SongListView::SetTickImage(int index, bool ticked) {
  LVITEMA item{};
  item.mask = LVIF_STATE;
  item.state = INDEXTOSTATEIMAGEMASK(ticked ? CheckedImage : UncheckedImage);
  item.stateMask = LVIS_STATEIMAGEMASK;
  ++updating_;
  SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  --updating_;
}

void SongListView::ShowCount(const SongList& songs) {
  SetWindowTextA(count_, TickedCountText(songs).c_str());
}

void SongListView::ShowSongs(const SongList& songs) {
  ++updating_;
  SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
  for (int i = 0; i < songs.Count(); ++i) {
    const Song& song = songs.At(i);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = const_cast<char*>(song.fileName.c_str());
    SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(song.length.c_str());
    SendMessageA(list_, LVM_SETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    SetTickImage(i, song.ticked);
  }
  SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
  --updating_;

  SendMessageA(tmpFile_, LB_RESETCONTENT, 0, 0);
  for (const std::string& name : songs.Listing())
    SendMessageA(tmpFile_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  ShowCount(songs);
}

void SongListView::ShowTick(const SongList& songs, int index) {
  if (index != playersTick_) SetTickImage(index, songs.At(index).ticked);
  ShowCount(songs);
}

int SongListView::SelectedIndex() const {
  const int focused = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  if (focused >= 0 && (SendMessageA(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(focused), LVIS_SELECTED) &
                       LVIS_SELECTED))
    return focused;
  return static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::vector<int> SongListView::SelectedIndexes() const {
  std::vector<int> selected;
  for (int index = -1;;) {
    index = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED));
    if (index < 0) break;
    selected.push_back(index);
  }
  return selected;
}


bool SongListView::IsPlayersTick(const NMLISTVIEW& change, int& index, bool& ticked) const {
  if (updating_ || change.iItem < 0 || !(change.uChanged & LVIF_STATE)) return false;
  const unsigned before = StateImage(change.uOldState), after = StateImage(change.uNewState);
  // Only a box that flips: the list gives new items their image too.
  if (before == after || (before != UncheckedImage && before != CheckedImage) ||
      (after != UncheckedImage && after != CheckedImage))
    return false;
  index = change.iItem;
  ticked = after == CheckedImage;
  return true;
}
