#include "manager/core/frmMain.h"

#include <set>

#include "manager/core/ExportSongs.h"
#include "manager/core/FrmExport.h"
#include "manager/core/RuntimeError.h"

std::string CommandLineFolder(const std::string& commandLine) {
  auto trimBlanks = [](std::string text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.back())) text.pop_back();
    size_t start = 0;
    while (start < text.size() && blank(text[start])) ++start;
    return text.substr(start);
  };
  std::string folder = trimBlanks(commandLine);
  // A shortcut passes a folder with blanks inside one pair of quotes.
  if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"')
    folder = trimBlanks(folder.substr(1, folder.size() - 2));
  return folder;
}

void frmMain::ShowFolderLabel() { view_.SetLabel2("Fifa 2001's folder is: " + GameFolder); }

void frmMain::DisableSongCommands() {
  view_.DisableCommand(MainCommand::Command1);
  view_.DisableCommand(MainCommand::Command2);
  view_.DisableCommand(MainCommand::Command6);
}

void frmMain::LocateGameFolder() {
  // The game's setup, then the command line, then our own setting, then
  // the user: the first source that gives a folder wins.
  cRegistry registry(platform_.registry);
  registry.ClassKey = HKEY_LOCAL_MACHINE_VALUE;
  registry.SectionKey = GameAppPathKey;
  registry.ValueKey = "Path";
  GameFolder = RegistryValueText(registry.Value());

  const std::string given = CommandLineFolder(platform_.commandLine);
  if (!given.empty()) {
    GameFolder = given;
    platform_.messages.Show("Fifa 2001 folder is: " + given, MessageIcon::Information);
  }

  if (!GameFolder.empty()) {
    ShowFolderLabel();
  } else {
    std::string saved =
        platform_.settings.GetSetting(SettingsApp, SettingsSection, SettingsKey, "");
    if (!saved.empty()) {
      GameFolder = saved;
      ShowFolderLabel();
    } else {
      OpenDialogSettings dialog;
      dialog.fileName = GameFolder;
      dialog.fileMustExist = true;
      dialog.hideReadOnly = true;
      dialog.filter = "Fifa2001.exe|fifa2001.exe";
      dialog.filterIndex = 1;
      dialog.initialDir = "C:\\";
      dialog.dialogTitle = "Please locate the FIFA 2001 folder";
      dialog.owner = view_.Hwnd();
      const bool chosen = ShowOpenDialog(platform_.dialogs, dialog);
      GameFolder = dialog.fileName;
      if (chosen) {
        GameFolder = FolderPart(GameFolder);
        if (!GameFolder.empty() && GameFolder.back() == '\\') GameFolder.pop_back();
        ShowFolderLabel();
        platform_.settings.SaveSetting(SettingsApp, SettingsSection, SettingsKey, GameFolder);
      } else {
        GameFolder.clear();
        view_.SetLabel2("Fifa 2001 has not been installed properly.");
        DisableSongCommands();
      }
    }
  }

  if (!GameFolder.empty() && GameFolder.back() == '\\') GameFolder.pop_back();
}

bool frmMain::Form_Load() {
  view_.FlattenHeader();
  LocateGameFolder();

  bool songMissing = false;
  try {
    FillSongList(songs_, platform_.fs);
    view_.EnableCheckBoxes();
    std::string background = ProgramFile(platform_.programFolder, "blu.jpg");
    if (FileExists(platform_.fs, background)) {
      view_.SetTiledBackground(background);
    } else {
      view_.SetTextBlack();
    }
    songMissing = ReadSongList(songs_, platform_.fs, true);
    songs_.MarkSaved();
  } catch (const RuntimeError& error) {
    if (error.Number == ErrPathNotFound) {
      DisableSongCommands();
      platform_.messages.Show(
          "An error occurred while accessing " + MusicFolder(GameFolder) + "\r\n" +
              "Please make sure that you choose to do the 'full installation' of the game "
              "during the FIFA 2001's setup. See readme.txt for more info.",
          MessageIcon::Critical);
      return false;
    }
    // Any other start-up error (a missing music.inf among them) is dropped:
    // the window opens with what was done so far, and that is what closing
    // compares the ticks with.
    songs_.MarkSaved();
  }

  view_.ShowForm();
  if (songMissing) {
    platform_.messages.Show(
        "One or more songs have been deleted from your hard disk. Please click on the 'Save "
        "changes' button to fix the FIFA 2001 songs list too.",
        MessageIcon::Exclamation, "Warning");
  }
  return true;
}

void frmMain::Command1_Click() { view_.ShowFrmAddNew(); }

void frmMain::Command2_Click() {
  WriteSongList(songs_, platform_.fs, platform_.messages);
}

void frmMain::Command3_Click() { view_.ShowFrmAbout(); }

void frmMain::Command4_Click() {
  if (Form_QueryUnload()) view_.Unload();
}

bool frmMain::Form_QueryUnload() {
  if (!songs_.HasUnsavedTicks() || GameFolder.empty()) return true;
  switch (view_.AskYesNoCancel(UnsavedTicksQuestion, ProgramTitle)) {
    case SaveAnswer::Yes: return WriteSongList(songs_, platform_.fs, platform_.messages);
    case SaveAnswer::No: return true;
    case SaveAnswer::Cancel: break;
  }
  return false;
}

TickAnswer frmMain::ListView1_ItemCheck(int index, bool ticked) {
  return songs_.RequestTick(index, ticked);
}

void frmMain::ShowTickLimit() {
  platform_.messages.Show(TooManySongsMessage, MessageIcon::Information);
}

void frmMain::Command5_Click() {
  platform_.shell.OpenDocument(0, ProgramFile(platform_.programFolder, HelpFileName));
}

void frmMain::Command6_Click() {
  std::vector<int> chosen;
  for (int index : view_.SelectedIndexes())
    if (index >= 0 && index < songs_.Count()) chosen.push_back(index);
  if (chosen.size() > 1) {
    ExportSelection(chosen);
    return;
  }
  const int selected = view_.SelectedIndex();
  if (selected >= 0 && selected < songs_.Count()) {
    SelectedSong = songs_.At(selected).fileName;
    view_.ShowFrmExport();
    return;
  }
  platform_.messages.Show(
      "Please select the song you want to export from the game by clicking on its filename on "
      "the list.",
      MessageIcon::Exclamation);
}

void frmMain::ExportSelection(const std::vector<int>& selected) {
  const std::string folder = platform_.dialogs.ChooseFolder(view_.Hwnd(), ExportFolderTitle);
  if (folder.empty()) return;
  std::vector<std::string> names;
  for (int index : selected) names.push_back(songs_.At(index).fileName);
  const ExportResult result = ExportSongs(platform_, view_, names, folder);
  if (result.converterMissing) {
    platform_.messages.Show(MissingConverterMessage(platform_.programFolder), MessageIcon::Critical);
    return;
  }
  platform_.messages.Show(ExportSummary(result, folder), ExportSummaryIcon(result));
}

void frmMain::PicLogo_Click() { platform_.shell.OpenDocument(0, MakerWebSite); }

bool RebuildSongList(SongList& songs, IFileSystem& fs) {
  const std::set<std::string> ticked = songs.TickedFiles();
  try {
    // The folder is listed before the list is replaced: a failure leaves it.
    FillSongList(songs, fs);
  } catch (const RuntimeError&) {
    return false;
  }
  for (int i = 0; i < songs.Count(); ++i) {
    if (ticked.count(songs.At(i).fileName)) songs.Toggle(i);
  }
  return true;
}
