// The main window: creates the controls, implements what the start-up and
// the commands ask of the window, and forwards each event to its handler.
#pragma once

#include <windows.h>

#include <memory>

#include "common/win32/Form.h"
#include "manager/core/frmMain.h"
#include "manager/win32/FrmExport.h"
#include "manager/win32/SongDrop.h"
#include "manager/win32/SongListMenu.h"
#include "manager/win32/SongListView.h"
#include "manager/win32/modKorm.h"

class frmMainWindow : public winui::Form, public IMainView {
 public:
  explicit frmMainWindow(HINSTANCE instance);
  ~frmMainWindow() override;

  static bool RegisterWindowClass(HINSTANCE instance);
  // Creates the window hidden, with all its controls.
  bool Create();
  void Attach(frmMain* form) { form_ = form; }
  // What the dialogs that this window opens work with.
  void UsePlatform(Platform* platform);
  HWND VisibleHwnd() const { return hwnd_ && IsWindowVisible(hwnd_) ? hwnd_ : nullptr; }

  // IMainView
  intptr_t Hwnd() override { return reinterpret_cast<intptr_t>(hwnd_); }
  int SelectedIndex() override { return songs_.SelectedIndex(); }
  std::vector<int> SelectedIndexes() override { return songs_.SelectedIndexes(); }
  void SetHourglass(bool on) override;
  void DoEvents() override;
  void ShowSongs(const SongList& songs) override { songs_.ShowSongs(songs); }
  void ShowTick(const SongList& songs, int index) override { songs_.ShowTick(songs, index); }
  void ShowSaved(const SongList& songs) override { songs_.ShowSaved(songs); }
  void SetLabel2(const std::string& caption) override;
  void DisableCommand(MainCommand command) override;
  void FlattenHeader() override;
  void EnableCheckBoxes() override;
  void SetTiledBackground(const std::string& picturePath) override;
  void SetTextBlack() override;
  void ShowForm() override;
  void Unload() override;
  void ShowFrmAddNew() override;
  void ShowFrmExport() override;
  void ShowFrmAbout() override;
  SaveAnswer AskYesNoCancel(const std::string& text, const std::string& title) override;

 private:
  void OnCreate() override;
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDpiChanged() override;
  void OnLayout() override;
  void OnCommand(WORD id, WORD code);
  LRESULT OnNotify(const NMHDR& header);
  void OnClose();
  void OnDestroy();
  void ShowLogo();
  int LengthColumnWidth() const;

  HWND listView_ = nullptr;
  HBITMAP logo_ = nullptr;
  HICON smallIcon_ = nullptr;
  SongListView songs_;
  frmMain* form_ = nullptr;
  Platform* platform_ = nullptr;
  // The modeless export dialog; kept until the next one replaces it, so
  // that an export still running inside it never loses its form.
  std::unique_ptr<FrmExportWindow> export_;
  // Files dropped on the song list become songs.
  std::unique_ptr<SongListDropTarget> drop_;
  // Play, stop, remove and the menu on the song list.
  std::unique_ptr<SongListMenu> songMenu_;
};
