#include "manager/core/SongImport.h"

#include "common/base/text_encoding.h"
#include "common/importer_window.h"
#include "manager/core/SongNames.h"

namespace {

int busyCount = 0;

constexpr const char* NoReason = "An error occurred during the operation.";

}  // namespace

std::string ProducedSongFile(const std::string& inputFile) {
  const std::string name = importer_window::ProducedSongName(FileNamePart(inputFile));
  return name.empty() ? "" : MusicFolder(GameFolder) + name;
}

std::string NewSongFile(const std::string& songName) {
  return MusicFolder(GameFolder) + songName + ".str";
}

ImportOutcome ImportSong(IImporter& importer, Platform& platform, const std::string& inputFile,
                         const std::string& songName) {
  ImportOutcome outcome;
  const std::string produced = ProducedSongFile(inputFile);
  if (produced.empty()) return outcome;
  // A file of that name left from an earlier run must not pass for this
  // conversion's: only a file that is new after convert counts.
  const FileStamp before = importer.Stamp(produced);
  ImporterSession session(importer);
  outcome.started = session.Open(ProgramFile(platform.programFolder, ImporterProgramName));
  if (outcome.started != ImporterStart::Started) return outcome;
  std::string folder = MusicFolder(GameFolder);
  folder.pop_back();  // the importer is given the folder without its trailing backslash
  const bool converted = session.Convert(inputFile, kickora::Utf8FromAnsi(folder));
  outcome.made = converted && IsNewFile(before, importer.Stamp(produced)) &&
                 RenameFiles(platform.fs, produced, NewSongFile(songName), false, true);
  if (!outcome.made && converted) outcome.reason = session.Reason();
  session.Close();
  return outcome;
}

bool SongMakingBusy() { return busyCount > 0; }
SongMakingGuard::SongMakingGuard() { ++busyCount; }
SongMakingGuard::~SongMakingGuard() { --busyCount; }

std::string ImporterMissingMessage(const std::string& programFolder) {
  return "Cannot find file \"tunegrab.exe\". Please make sure it is placed in " + programFolder +
         ".";
}

BatchResult MakeSongs(IImporter& importer, Platform& platform, IBusyView& view,
                      const std::vector<std::string>& files) {
  BatchResult result;
  SongMakingGuard busy;
  view.SetHourglass(true);
  for (const std::string& file : files) {
    const std::string fileName = kickora::AnsiFromUtf8(FileNamePart(file));  // for the message
    if (!FileExistsUtf8(platform.fs, file)) {
      result.failed.push_back({fileName, InputFileMissing});
      continue;
    }
    // Named only now: the songs made before it in this batch are taken.
    const std::string song = SuggestedSongName(platform.fs, file);
    const ImportOutcome outcome = ImportSong(importer, platform, file, song);
    if (outcome.started == ImporterStart::ProgramMissing) {
      result.importerMissing = true;
      break;
    }
    if (outcome.made) {
      result.made.push_back(song + ".str");
    } else {
      result.failed.push_back({fileName, outcome.reason.empty() ? NoReason : outcome.reason});
    }
    view.DoEvents();
  }
  view.SetHourglass(false);
  return result;
}

std::string BatchMessage(const BatchResult& result) {
  std::string text;
  const size_t made = result.made.size();
  if (made == 0) {
    text = "No song was made.";
  } else {
    text = made == 1 ? "1 song made: " : std::to_string(made) + " songs made: ";
    for (size_t i = 0; i < made; ++i) text += (i ? ", " : "") + result.made[i];
    text += ".";
  }
  if (!result.failed.empty()) {
    text += result.failed.size() == 1 ? "\r\n\r\nThis file could not be made into a song:"
                                      : "\r\n\r\nThese files could not be made into songs:";
    for (const FailedFile& failed : result.failed)
      text += "\r\n" + failed.fileName + ": " + failed.reason;
  }
  return text;
}

MessageIcon BatchMessageIcon(const BatchResult& result) {
  if (result.failed.empty()) return MessageIcon::Information;
  return result.made.empty() ? MessageIcon::Critical : MessageIcon::Exclamation;
}

void ShowBatchResult(IMessageSink& messages, const Platform& platform, const BatchResult& result) {
  if (result.importerMissing) {
    messages.Show(ImporterMissingMessage(platform.programFolder), MessageIcon::Critical);
    if (result.made.empty() && result.failed.empty()) return;
  }
  messages.Show(BatchMessage(result), BatchMessageIcon(result));
}

void SongListDrop::FilesDropped(const std::vector<std::string>& files) {
  if (files.empty() || GameFolder.empty()) return;
  if (SongMakingBusy()) {
    messages_.Show(DropWhileBusy, MessageIcon::Information);
    return;
  }
  const BatchResult result = MakeSongs(importer_, platform_, view_, files);
  if (!result.made.empty()) RebuildSongList(songs_, platform_.fs);
  ShowBatchResult(messages_, platform_, result);
}
