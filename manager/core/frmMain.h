// The main window's start-up and commands, free of any window system: the
// Win32 form forwards its events here and implements IMainView.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "manager/core/Platform.h"

enum class MainCommand { Command1, Command2, Command6 };

// What the start-up and the commands ask of the window and its controls.
class IMainView {
 public:
  virtual ~IMainView() = default;
  virtual ISongList& ListView1() = 0;
  virtual intptr_t Hwnd() = 0;
  virtual void SetLabel2(const std::string& caption) = 0;
  virtual void DisableCommand(MainCommand command) = 0;
  virtual void FlattenHeader() = 0;
  virtual void ShowTmpFile(const std::vector<std::string>& names) = 0;
  virtual void EnableCheckBoxes() = 0;
  virtual void SetTiledBackground(const std::string& picturePath) = 0;
  virtual void SetTextBlack() = 0;
  virtual void ShowForm() = 0;
  virtual void Unload() = 0;
  virtual void ShowFrmAddNew() = 0;  // modal
  virtual void ShowFrmExport() = 0;  // not modal
  virtual void ShowFrmAbout() = 0;   // modal
};

constexpr const char* SettingsApp = "Kickora Music Manager";
constexpr const char* SettingsSection = "Settings";
constexpr const char* SettingsKey = "Fifapath";
constexpr const char* GameAppPathKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\fifa2001.exe";
constexpr const char* MakerWebSite = "https://kickora.example/";

// Fills the main window's song list again from the music folder: new songs
// come in unchecked, the ticks of the songs still there stay as the user
// left them (saved or not). False (and the list unchanged) when the folder
// cannot be listed.
bool RebuildSongList(IMainView& main, IFileSystem& fs);

// The game folder a command line gives: without the blanks around it and
// without one pair of double quotes around it; "" when it gives none.
std::string CommandLineFolder(const std::string& commandLine);

class frmMain {
 public:
  frmMain(IMainView& view, Platform& platform) : view_(view), platform_(platform) {}

  // The whole start-up. Returns false when the program must end at once
  // (the window was never shown).
  bool Form_Load();
  void LocateGameFolder();

  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Command5_Click();
  void Command6_Click();
  void PicLogo_Click();

  // The services the dialogs that this window opens use too.
  Platform& Services() { return platform_; }

 private:
  void ShowFolderLabel();
  void DisableSongCommands();

  IMainView& view_;
  Platform& platform_;
};
