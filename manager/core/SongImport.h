// Making songs through the importer: one run for one music file (start
// the importer, convert, rename what it produced into the music folder as
// the new song, read why when it made none, close it), and a batch of
// files made in one go under their suggested names with one message at
// the end. The make-new-song dialog and drops on the main window's list
// both use it; only one song is made at a time in the whole program.
#pragma once

#include <string>
#include <vector>

#include "manager/core/BusyView.h"
#include "manager/core/ImporterSession.h"
#include "manager/core/frmMain.h"

// The file the importer writes for an input file (UTF-8): its name up to
// the last dot and ".asf", in the music folder, or the importer's own name
// when the code page cannot spell it (common/importer_window.h); "" when
// nothing is left of the name. Music files' paths here are all in UTF-8.
std::string ProducedSongFile(const std::string& inputFile);
// The new song's file in the music folder.
std::string NewSongFile(const std::string& songName);

struct ImportOutcome {
  ImporterStart started = ImporterStart::Failed;
  bool made = false;
  std::string reason;  // the importer's, when it made no song; may be ""
};

// One importer run for inputFile, becoming songName.str.
ImportOutcome ImportSong(IImporter& importer, Platform& platform, const std::string& inputFile,
                         const std::string& songName);

// True while a song is being made anywhere in the program.
bool SongMakingBusy();
// Marks the program busy for its lifetime.
class SongMakingGuard {
 public:
  SongMakingGuard();
  ~SongMakingGuard();
  SongMakingGuard(const SongMakingGuard&) = delete;
  SongMakingGuard& operator=(const SongMakingGuard&) = delete;
};

struct FailedFile {
  std::string fileName;  // without folder
  std::string reason;
};

struct BatchResult {
  std::vector<std::string> made;  // the new songs' file names (name.str)
  std::vector<FailedFile> failed;
  bool importerMissing = false;   // the batch stopped: no tunegrab.exe
};

// Each file in turn becomes a song under its suggested name.
BatchResult MakeSongs(IImporter& importer, Platform& platform, IBusyView& view,
                      const std::vector<std::string>& files);

// The one message after a batch, and its icon.
std::string BatchMessage(const BatchResult& result);
MessageIcon BatchMessageIcon(const BatchResult& result);
// Shows the batch's message (or that the importer is missing).
void ShowBatchResult(IMessageSink& messages, const Platform& platform, const BatchResult& result);

constexpr const char* DropWhileBusy =
    "A song is being made right now. Please drop the files again when it is finished.";
constexpr const char* InputFileMissing = "The file cannot be found.";
std::string ImporterMissingMessage(const std::string& programFolder);

// Files dropped on the main window's song list: one batch, then the list
// rebuilt once when songs were made.
class SongListDrop {
 public:
  SongListDrop(SongList& songs, Platform& platform, IImporter& importer, IBusyView& view,
               IMessageSink& messages)
      : songs_(songs), platform_(platform), importer_(importer), view_(view),
        messages_(messages) {}
  void FilesDropped(const std::vector<std::string>& files);

 private:
  SongList& songs_;
  Platform& platform_;
  IImporter& importer_;
  IBusyView& view_;
  IMessageSink& messages_;
};
