// The main window's start-up and commands, free of any window system: the
// Win32 form forwards its events here and implements IMainView.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "manager/core/BusyView.h"
#include "manager/core/Platform.h"

enum class MainCommand { Command1, Command2, Command6 };

enum class SaveAnswer { Yes, No, Cancel };

// What the start-up and the commands ask of the window and its controls.
// It shows the song list (ISongListView), reports which songs are chosen,
// and works through a batch of them (IBusyView).
class IMainView : public ISongListView, public IBusyView {
 public:
  virtual intptr_t Hwnd() = 0;
  // The song a command for one song takes: the focused one when it is
  // selected, else the first selected; -1 when none is.
  virtual int SelectedIndex() = 0;
  // Every selected song, in list order.
  virtual std::vector<int> SelectedIndexes() {
    const int index = SelectedIndex();
    return index < 0 ? std::vector<int>{} : std::vector<int>{index};
  }
  void SetHourglass(bool) override {}
  void DoEvents() override {}
  virtual void SetLabel2(const std::string& caption) = 0;
  virtual void DisableCommand(MainCommand command) = 0;
  virtual void FlattenHeader() = 0;
  virtual void EnableCheckBoxes() = 0;
  virtual void SetTiledBackground(const std::string& picturePath) = 0;
  virtual void SetTextBlack() = 0;
  virtual void ShowForm() = 0;
  virtual void Unload() = 0;
  virtual void ShowFrmAddNew() = 0;  // modal
  virtual void ShowFrmExport() = 0;  // not modal
  virtual void ShowFrmAbout() = 0;   // modal
  // A question with Yes, No and Cancel (Yes the default), on the window.
  virtual SaveAnswer AskYesNoCancel(const std::string& text, const std::string& title) = 0;
};

constexpr const char* SettingsApp = "Kickora Music Manager";
constexpr const char* SettingsSection = "Settings";
constexpr const char* SettingsKey = "Fifapath";
constexpr const char* GameAppPathKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\fifa2001.exe";
constexpr const char* MakerWebSite = "https://kickora.example/";

// Fills the song list again from the music folder: new songs come in
// unticked, the ticks of the songs still there stay as the user left them
// (saved or not). False (and the list unchanged) when the folder cannot be
// listed.
bool RebuildSongList(SongList& songs, IFileSystem& fs);

// The question before the window closes with ticks that are not saved.
constexpr const char* ExportFolderTitle = "Choose the folder for the exported songs";
constexpr const char* UnsavedTicksQuestion =
    "Your ticks have not been saved yet. Save FIFA 2001's songs list before closing?";

// The game folder a command line gives: without the blanks around it and
// without one pair of double quotes around it; "" when it gives none.
std::string CommandLineFolder(const std::string& commandLine);

class frmMain {
 public:
  frmMain(IMainView& view, Platform& platform) : view_(view), platform_(platform) {
    songs_.Attach(&view_);
  }
  ~frmMain() { songs_.Attach(nullptr); }
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  // The whole start-up. Returns false when the program must end at once
  // (the window was never shown).
  bool Form_Load();
  void LocateGameFolder();

  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();  // "&Exit": closes the window, unless Form_QueryUnload refuses
  void Command5_Click();
  // One selected song: the export dialog. Several: a folder, then each
  // song into it, and one message at the end.
  void Command6_Click();
  void PicLogo_Click();
  // The player clicked the tick box of the song at index (the mouse or
  // Space): Refused when it would tick an 11th song; the window then keeps
  // the box as it was and calls ShowTickLimit once its click is over.
  TickAnswer ListView1_ItemCheck(int index, bool ticked);
  void ShowTickLimit();
  // Any way of closing the window (Exit, the close box, Alt+F4): false
  // when it must stay open. Unsaved ticks are offered to be saved first.
  bool Form_QueryUnload();

  // The songs the window lists.
  SongList& Songs() { return songs_; }

  // The services the dialogs that this window opens use too.
  Platform& Services() { return platform_; }

 private:
  void ExportSelection(const std::vector<int>& selected);
  void ShowFolderLabel();
  void DisableSongCommands();

  IMainView& view_;
  Platform& platform_;
  SongList songs_;
};
