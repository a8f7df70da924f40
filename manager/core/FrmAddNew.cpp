#include "manager/core/FrmAddNew.h"

#include "common/base/text_encoding.h"
#include "manager/core/SongNames.h"

std::string AddNewFailedMessage(const std::string& reason) {
  return reason.empty() ? AddNewFailed : std::string(AddNewFailed) + "\r\n" + reason;
}

void FrmAddNew::Form_Load() { SongsAdded = false; }

std::string FrmAddNew::ProducedFile(const std::string& inputFile) {
  return ProducedSongFile(inputFile);
}

bool FrmAddNew::IsFileNameText(const std::string& name) {
  for (unsigned char c : name) {
    if (c < 0x20 || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos)
      return false;
  }
  return true;
}

std::string FrmAddNew::TargetFile(const std::string& songName) { return NewSongFile(songName); }

bool FrmAddNew::CheckInput(const std::string& text1, const std::string& text2) {
  if (!FileExistsUtf8(platform_.fs, text1)) {
    messages_.Show("Cannot find input file " + kickora::AnsiFromUtf8(text1) + ".", MessageIcon::Critical);
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
  if (FileExists(platform_.fs, MusicFolder(GameFolder) + text2 + ".str")) {
    messages_.Show("The file " + text2 + ".str already exists! Please choose a different name.",
                   MessageIcon::Exclamation);
    return false;
  }
  return true;
}

void FrmAddNew::Command1_Click() {
  // Clicks that queued up while the importer worked are not a second Make.
  if (making_ || SongMakingBusy()) return;
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
  SongMakingGuard busy;
  view_.SetHourglass(true);
  const ImportOutcome outcome = ImportSong(importer_, platform_, text1, text2);
  view_.SetHourglass(false);
  if (outcome.started == ImporterStart::Started) view_.DoEvents();
  if (outcome.started == ImporterStart::ProgramMissing) {
    messages_.Show(ImporterMissingMessage(platform_.programFolder), MessageIcon::Critical);
  } else if (outcome.made) {
    messages_.Show("Song converted succesfully!", MessageIcon::Information);
    SongsAdded = true;
  } else {
    messages_.Show(AddNewFailedMessage(outcome.reason), MessageIcon::Critical);
  }
  making_ = false;
}

void FrmAddNew::Command2_Click() {
  if (making_) return;
  OpenDialogSettings dialog;
  dialog.fileMustExist = true;
  dialog.multiSelect = true;
  dialog.hideReadOnly = true;
  dialog.filter = AddNewFilter;
  dialog.filterIndex = 1;
  dialog.dialogTitle = "Please select an audio file";
  dialog.owner = view_.Hwnd();
  dialog.flags = static_cast<int32_t>(OFN_EXPLORER_FLAG);
  dialog.utf8Paths = true;
  if (!ShowOpenDialog(platform_.dialogs, dialog)) return;
  if (dialog.fileNames.size() > 1) {
    MakeBatch(dialog.fileNames);
    return;
  }
  view_.SetText1(dialog.fileNames.empty() ? dialog.fileName : dialog.fileNames[0]);
  Text1_Change();
}

void FrmAddNew::Text1_Change() {
  const std::string text1 = view_.Text1();
  const std::string text2 = view_.Text2();
  if (!text2.empty() && text2 != suggested_) return;  // the player's own name
  if (GameFolder.empty() || !FileExistsUtf8(platform_.fs, text1)) return;
  suggested_ = SuggestedSongName(platform_.fs, text1);
  view_.SetText2(suggested_);
}

void FrmAddNew::Form_FilesDropped(const std::vector<std::string>& files) {
  if (files.empty()) return;
  if (making_ || SongMakingBusy()) {
    messages_.Show(DropWhileBusy, MessageIcon::Information);
    return;
  }
  if (files.size() == 1) {
    view_.SetText1(files[0]);
    Text1_Change();
    return;
  }
  MakeBatch(files);
}

void FrmAddNew::MakeBatch(const std::vector<std::string>& files) {
  making_ = true;
  const BatchResult result = MakeSongs(importer_, platform_, view_, files);
  making_ = false;
  if (!result.made.empty()) SongsAdded = true;
  ShowBatchResult(messages_, platform_, result);
}

void FrmAddNew::Command3_Click() {
  if (making_) return;
  if (SongsAdded) RebuildSongList(songs_, platform_.fs);
  SongsAdded = false;
  view_.Unload();
}
void FrmAddNew::Command4_Click() {
  platform_.shell.OpenDocument(0, ProgramFile(platform_.programFolder, HelpFileName));
}

void FrmAddNew::Form_QueryUnload() { Command3_Click(); }
