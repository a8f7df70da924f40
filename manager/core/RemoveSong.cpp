#include "manager/core/RemoveSong.h"

std::string RecycleQuestion(const std::string& song) {
  return "Move " + song + " to the Recycle Bin?";
}

std::string RecycleFailedMessage(const std::string& song) {
  return song + " could not be moved to the Recycle Bin. It may be read-only or in use by another "
                "program.";
}

std::string RecycledTickedMessage(const std::string& song) {
  return song + " was ticked. FIFA 2001's songs list changes only when you click on the 'Save "
                "Changes' button.";
}

bool IsRemovableSong(const std::string& song) {
  if (song.empty() || song.front() == '1' || song == "." || song == "..") return false;
  return song.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

bool MoveSongToRecycleBin(IFileSystem& fs, const std::string& song) {
  const std::string path = MusicFolder() + song;
  ShellOpOutcome outcome =
      fs.ShellFileOperation(FO_DELETE_CODE, BuildSourceList({path}), "", RecycleFlags);
  // The shell's result alone does not prove it: the file must be gone.
  return outcome.succeeded && !outcome.anyOperationsAborted && !FileExists(fs, path);
}

RemoveOutcome RemoveSong(IMainView& main, Platform& platform, IQuestion& question, int index,
                         const std::function<void(const std::string&)>& beforeMove) {
  ISongList& list = main.ListView1();
  if (GameFolder.empty() || index < 0 || index >= list.Count()) return RemoveOutcome::NotAsked;
  const std::string song = list.Text(index);
  if (!IsRemovableSong(song)) return RemoveOutcome::NotAsked;
  const bool ticked = IsChecked(list, index);
  if (!question.AskYesNo(RecycleQuestion(song), ProgramTitle)) return RemoveOutcome::Kept;
  if (beforeMove) beforeMove(song);
  if (!MoveSongToRecycleBin(platform.fs, song)) {
    platform.messages.Show(RecycleFailedMessage(song), MessageIcon::Critical);
    return RemoveOutcome::Failed;
  }
  RebuildSongList(main, platform.fs);
  if (ticked) platform.messages.Show(RecycledTickedMessage(song), MessageIcon::Exclamation);
  return RemoveOutcome::Removed;
}
