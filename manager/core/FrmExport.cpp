#include "manager/core/FrmExport.h"

#include "common/base/text_encoding.h"

namespace {

constexpr const char* ExportFailed = ExportFailedMessage;
constexpr const char* ExportSucceeded =
    "Song exported succesfully! You can now listen to it by using a multimedia player (i.e. "
    "Winamp).";

// The destination's folder must be there: the shell would make a missing
// one, and a name without a folder would land in the current directory.
bool DestinationFolderExists(IFileSystem& fs, const std::string& destination) {
  std::string folder = FolderPart(destination);
  if (folder.empty() || folder.size() == destination.size()) return false;
  if (folder.size() == 3 && folder[1] == ':') return FileExistsUtf8(fs, folder + "*");
  folder.pop_back();
  return FileExistsUtf8(fs, folder);
}

// The file the player named holds the converter's WAV: a copy that the
// shell reports done but that went elsewhere, or only partly, is no export.
bool HoldsSameBytes(IFileSystem& fs, const std::string& wav, const std::string& destination) {
  try {
    return fs.ReadAllUtf8(destination) == fs.ReadAll(wav);
  } catch (...) {
    return false;
  }
}

}  // namespace

std::string MissingConverterMessage(const std::string& programFolder) {
  return "Cannot find file \"tonepak.exe\". Please make sure it is placed in " + programFolder + ".";
}

std::string ExportCommandLine(const std::string& programFolder, const std::string& gameFolder,
                              const std::string& song) {
  std::string converter = ProgramFile(programFolder, ConverterFileName);
  std::string songPath = MusicFolder(gameFolder) + song;
  return Quoted(converter) + " " + Quoted(songPath);
}

void FrmExport::ShowSongLabel() { view_.SetLabel1("Song to export: " + SelectedSong); }

void FrmExport::Form_Load() { ShowSongLabel(); }

void FrmExport::Form_Activate() { ShowSongLabel(); }

ExportStep ExportSongTo(Platform& platform, const std::string& song, const std::string& destination) {
  std::string folder = platform.scratch.Create();
  if (folder.empty()) return ExportStep::NoPrivateFolder;
  ProcessOutcome run =
      ShellStop(platform.processes, ExportCommandLine(platform.programFolder, GameFolder, song), SW_HIDE_STATE,
                folder);
  std::string wav = AddBackslash(folder) + ConverterOutputName;
  const bool converted = run.started && run.exitCode == 0 && FileExists(platform.fs, wav);
  const bool copied = converted && DestinationFolderExists(platform.fs, destination) &&
                      CopyFileUtf8(platform.fs, kickora::Utf8FromAnsi(wav), destination, false, true, false) &&
                      HoldsSameBytes(platform.fs, wav, destination);
  platform.scratch.Remove(folder);
  if (!converted) return ExportStep::NotConverted;
  return copied ? ExportStep::Done : ExportStep::NotCopied;
}

void FrmExport::Command1_Click() {
  if (busy_) return;
  if (!FileExists(platform_.fs, ProgramFile(platform_.programFolder, ConverterFileName))) {
    platform_.messages.Show(MissingConverterMessage(platform_.programFolder), MessageIcon::Critical);
    return;
  }
  busy_ = true;
  view_.SetBusy(true);
  const bool exported = ExportSongTo(platform_, SelectedSong, view_.Text1()) == ExportStep::Done;
  view_.SetBusy(false);
  busy_ = false;
  if (exported) {
    platform_.messages.Show(ExportSucceeded, MessageIcon::Information);
  } else {
    platform_.messages.Show(ExportFailed, MessageIcon::Critical);
  }
  SelectedSong.clear();
  view_.Unload();
}

void FrmExport::Command2_Click() {
  std::string fileName, fileTitle;
  bool overwritePrompt = true;
  std::string filter = "Audio files (*.wav)|*.wav";
  int32_t filterIndex = 1;
  std::string initialDir, title = "Save exported song as...", defaultExt = "wav";
  intptr_t owner = view_.Hwnd();
  int32_t flags = 0;
  if (ShowSaveDialog(platform_.dialogs, fileName, fileTitle, overwritePrompt, filter, filterIndex,
                     initialDir, title, defaultExt, owner, flags, true)) {
    view_.SetText1(fileName);
  }
}

void FrmExport::Command3_Click() {
  // While the converter runs, the dialog stays: the export still needs it.
  if (busy_) return;
  view_.Unload();
}

void FrmExport::Command4_Click() {
  platform_.shell.OpenDocument(0, ProgramFile(platform_.programFolder, HelpFileName));
}
