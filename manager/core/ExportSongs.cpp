#include "manager/core/ExportSongs.h"

#include "common/base/text_encoding.h"
#include "manager/core/FrmExport.h"

namespace {

constexpr const char* NotConvertedReason = "The converter could not read it; it may not be a song.";
constexpr const char* NotCopiedReason = "It could not be written into the folder.";
constexpr const char* NoFolderReason = "No temporary folder could be made for the converter.";

const char* Reason(ExportStep step) {
  switch (step) {
    case ExportStep::NotConverted: return NotConvertedReason;
    case ExportStep::NotCopied: return NotCopiedReason;
    default: return NoFolderReason;
  }
}

}  // namespace

std::string FreeExportPath(IFileSystem& fs, const std::string& folder, const std::string& song) {
  // The song's name without its ".str", as the single export suggests none.
  const std::string stem = SongName(song).empty() ? song : SongName(song);
  const std::string base = AddBackslash(folder) + kickora::Utf8FromAnsi(stem);
  std::string path = base + ".wav";
  for (int n = 2; FileExistsUtf8(fs, path); ++n) path = base + " (" + std::to_string(n) + ").wav";
  return path;
}

ExportResult ExportSongs(Platform& platform, IBusyView& view, const std::vector<std::string>& songs,
                         const std::string& folder) {
  ExportResult result;
  if (!FileExists(platform.fs, ProgramFile(platform.programFolder, ConverterFileName))) {
    result.converterMissing = true;
    return result;
  }
  view.SetHourglass(true);
  for (const std::string& song : songs) {
    const std::string destination = FreeExportPath(platform.fs, folder, song);
    const ExportStep step = ExportSongTo(platform, song, destination);
    if (step == ExportStep::Done) {
      result.exported.push_back(FileNamePart(destination));
    } else {
      result.failed.push_back({song, Reason(step)});
    }
    view.DoEvents();
  }
  view.SetHourglass(false);
  return result;
}

std::string ExportSummary(const ExportResult& result, const std::string& utf8Folder) {
  const std::string folder = kickora::AnsiFromUtf8(utf8Folder);  // as the message box shows it
  const size_t done = result.exported.size();
  std::string text = done == 0   ? std::string("No song was exported.")
                     : done == 1 ? "1 song exported to " + folder + "."
                                 : std::to_string(done) + " songs exported to " + folder + ".";
  if (!result.failed.empty()) {
    text += result.failed.size() == 1 ? "\r\n\r\nThis song could not be exported:"
                                      : "\r\n\r\nThese songs could not be exported:";
    for (const FailedFile& failed : result.failed) text += "\r\n" + failed.fileName + ": " + failed.reason;
  }
  return text;
}

MessageIcon ExportSummaryIcon(const ExportResult& result) {
  if (result.failed.empty()) return MessageIcon::Information;
  return result.exported.empty() ? MessageIcon::Critical : MessageIcon::Exclamation;
}
