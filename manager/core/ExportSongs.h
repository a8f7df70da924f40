// Several songs out of the game in one go: each selected song exported
// through the converter, as the export dialog does it, into one folder the
// player chose, as "<song>.wav"; a name already in the folder is never
// overwritten but numbered (" (2)", " (3)", ...). One message at the end
// says how many were exported and why each other one was not.
#pragma once

#include <string>
#include <vector>

#include "manager/core/SongImport.h"

struct ExportResult {
  std::vector<std::string> exported;  // the files written, without folder
  std::vector<FailedFile> failed;     // the songs not exported, with why
  bool converterMissing = false;      // nothing was tried
};

// "anthem.str" in folder "D:\My Songs\": "D:\My Songs\anthem.wav", or the
// first of "anthem (2).wav", "anthem (3).wav", ... not there yet. The
// folder, and the path made, in UTF-8.
std::string FreeExportPath(IFileSystem& fs, const std::string& folder, const std::string& song);

// Exports songs (file names of the music folder) into folder, one after
// the other, with the hourglass on view and its messages handled between
// two songs.
ExportResult ExportSongs(Platform& platform, IBusyView& view, const std::vector<std::string>& songs,
                         const std::string& folder);

// The message at the end of it.
std::string ExportSummary(const ExportResult& result, const std::string& folder);
MessageIcon ExportSummaryIcon(const ExportResult& result);
