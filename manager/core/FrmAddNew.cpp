#include "manager/core/FrmAddNew.h"

#include <set>
#include <vector>

#include "manager/core/RuntimeError.h"

void FrmAddNew::Form_Load() { SongsAdded = false; }

std::string FrmAddNew::MusicFolderPath() { return AddBackslash(GameFolder) + "data\\audio\\music"; }

std::string FrmAddNew::ProducedFile(const std::string& inputFile) {
  // The importer names its output after the input file without its last
  // four characters (the dot and a three-letter extension).
  std::string name = FileNamePart(inputFile);
  if (name.size() < 4) return "";
  return AddBackslash(MusicFolderPath()) + name.substr(0, name.size() - 4) + ".asf";
}

bool FrmAddNew::IsFileNameText(const std::string& name) {
  for (unsigned char c : name) {
    if (c < 0x20 || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos)
      return false;
  }
  return true;
}

std::string FrmAddNew::TargetFile(const std::string& songName) {
  return AddBackslash(MusicFolderPath()) + songName + ".str";
}

bool FrmAddNew::CheckInput(const std::string& text1, const std::string& text2) {
  if (!FileExists(platform_.fs, text1)) {
    messages_.Show("Cannot find input file " + text1 + ".", MessageIcon::Critical);
    return false;
  }
  if (!text2.empty() && text2[0] == '1') {
    // The main window never lists files whose names begin with "1".
    messages_.Show("The converted song's filename cannot begin with '1'.",
                   MessageIcon::Information);
    return false;
  }
  if (text2.empty()) {
    messages_.Show("Please type the name you want to save the file with.", MessageIcon::Critical);
    return false;
  }
  if (FileExists(platform_.fs, GameFolder + MusicSubfolder + text2 + ".str")) {
    messages_.Show("The file " + text2 + ".str already exists! Please choose a different name.",
                   MessageIcon::Exclamation);
    return false;
  }
  return true;
}

ImporterStart FrmAddNew::RunImporter(const std::string& text1, const std::string& text2,
                                     const std::string& produced) {
  // A file of that name left from an earlier run must not pass for this
  // conversion's: only a file that is new after convert counts.
  const FileStamp before = importer_.Stamp(produced);
  ImporterSession session(importer_);
  // The hourglass shows while the importer starts, too: looking for its
  // window may take a few seconds on a busy machine.
  view_.SetHourglass(true);
  ImporterStart started =
      session.Open(AddBackslash(platform_.programFolder) + ImporterProgramName);
  if (started != ImporterStart::Started) {
    view_.SetHourglass(false);
    return started;
  }
  bool converted = session.Convert(text1, MusicFolderPath());
  view_.SetHourglass(false);
  view_.DoEvents();
  bool made = converted && IsNewFile(before, importer_.Stamp(produced)) &&
              RenameFiles(platform_.fs, produced, TargetFile(text2), false, true);
  if (made) {
    messages_.Show("Song converted succesfully!", MessageIcon::Information);
    SongsAdded = true;
  } else {
    messages_.Show(AddNewFailed, MessageIcon::Critical);
  }
  session.Close();
  return started;
}

void FrmAddNew::Command1_Click() {
  // Clicks that queued up while the importer worked are not a second Make.
  if (making_) return;
  const std::string text1 = view_.Text1();
  const std::string text2 = view_.Text2();
  if (!CheckInput(text1, text2)) return;

  const std::string produced = ProducedFile(text1);
  // A name the rename could not give, or one that would lead out of the
  // music folder ("..\x"), fails like a conversion, before anything runs.
  if (produced.empty() || !IsFileNameText(text2)) {
    messages_.Show(AddNewFailed, MessageIcon::Critical);
    return;
  }
  making_ = true;
  ImporterStart started = RunImporter(text1, text2, produced);
  if (started != ImporterStart::Started) {
    if (started == ImporterStart::ProgramMissing) {
      messages_.Show("Cannot find file \"tunegrab.exe\". Please make sure it is placed in " +
                         platform_.programFolder + ".",
                     MessageIcon::Critical);
    } else {
      messages_.Show(AddNewFailed, MessageIcon::Critical);
    }
  }
  making_ = false;
}

void FrmAddNew::Command2_Click() {
  OpenDialogSettings dialog;
  dialog.fileMustExist = true;
  dialog.hideReadOnly = true;
  dialog.filter = "Audio files (*.wav; *.mp3)|*.wav;*.mp3";
  dialog.filterIndex = 1;
  dialog.dialogTitle = "Please select an audio file";
  dialog.owner = view_.Hwnd();
  if (ShowOpenDialog(platform_.dialogs, dialog)) view_.SetText1(dialog.fileName);
}

void FrmAddNew::RebuildMainList() {
  // The check marks the user set in the main window and has not saved yet
  // stay; songs that are new to the list come in unchecked.
  ISongList& list = main_.ListView1();
  std::set<std::string> checked;
  for (int i = 0; i < list.Count(); ++i) {
    if (IsChecked(list, i)) checked.insert(list.Text(i));
  }
  try {
    main_.ShowTmpFile(FillSongList(list, platform_.fs));
  } catch (const RuntimeError&) {
    // The music folder cannot be listed: the list stays as it was.
    return;
  }
  for (int i = 0; i < list.Count(); ++i) {
    if (checked.count(list.Text(i))) ToggleCheck(list, static_cast<int16_t>(i));
  }
}

void FrmAddNew::Command3_Click() {
  if (making_) return;
  if (SongsAdded) RebuildMainList();
  SongsAdded = false;
  view_.Unload();
}

void FrmAddNew::Command4_Click() {
  platform_.shell.OpenDocument(0, AddBackslash(platform_.programFolder) + "readme.txt");
}

void FrmAddNew::Form_QueryUnload() { Command3_Click(); }
