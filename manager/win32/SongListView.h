// The song list control of the main window: shows the core's songs (file
// name, length and tick), the line that counts the ticks and the hidden
// file list, and tells a tick the player clicks (the mouse or Space) from
// one the window sets itself.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "manager/core/SongList.h"

class SongListView {
 public:
  void Attach(HWND listView, HWND countLabel, HWND tmpFile);
  // The "Filename" and "Length" columns.
  void AddColumns(int lengthWidth);
  // The file names take what the length column and a scroll bar leave.
  void FitColumns(int lengthWidth);

  void ShowSongs(const SongList& songs);
  void ShowTick(const SongList& songs, int index);
  void ShowSaved(const SongList& songs) { ShowCount(songs); }
  // The focused song when it is selected, else the first selected; -1
  // when none is.
  int SelectedIndex() const;
  std::vector<int> SelectedIndexes() const;
  // Around a change of the list's style that resets the ticks' images.
  void BeginUpdate() { ++updating_; }
  void EndUpdate() { --updating_; }

  // A change the list is about to make (LVN_ITEMCHANGING): true when it is
  // the player's click on a tick box, with the song and the tick wanted.
  bool IsPlayersTick(const NMLISTVIEW& change, int& index, bool& ticked) const;
  // While the core takes the player's tick the list changes the box
  // itself once it is allowed to: ShowTick leaves it alone.
  void BeginPlayersTick(int index) { playersTick_ = index; }
  void EndPlayersTick() { playersTick_ = -1; }

 private:
  void SetTickImage(int index, bool ticked);
  void ShowCount(const SongList& songs);

  HWND list_ = nullptr;
  HWND count_ = nullptr;
  HWND tmpFile_ = nullptr;
  int updating_ = 0;
  int playersTick_ = -1;
};
