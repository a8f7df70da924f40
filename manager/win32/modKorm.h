// The song list on the main window's list-view control.
#pragma once

#include <windows.h>

#include "manager/core/modKorm.h"

class ListViewSongList : public ISongList {
 public:
  explicit ListViewSongList(HWND listView = nullptr) : hwnd_(listView) {}
  void Attach(HWND listView) { hwnd_ = listView; }

  int Count() const override;
  std::string Text(int index) const override;
  unsigned GetItemState(int index, unsigned mask) const override;
  void SetItemState(int index, unsigned state, unsigned mask) override;
  void Clear() override;
  void Add(const std::string& text) override;

 private:
  HWND hwnd_;
};

// Makes the list's column header unclickable (no sorting is offered).
void FlattenHeader(HWND listView);
