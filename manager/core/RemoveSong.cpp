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
  const std::string path = MusicFolder(GameFolder) + song;
  ShellOpOutcome outcome =
      fs.ShellFileOperation(FO_DELETE_CODE, BuildSourceList({path}), "", RecycleFlags);
  // The shell's result alone does not prove it: the file must be gone.
  return outcome.succeeded && !outcome.anyOperationsAborted && !FileExists(fs, path);
}

RemoveOutcome RemoveSong(SongList& songs, Platform& platform, IQuestion& question, int index,
                         const std::function<void(const std::string&)>& beforeMove) {
  if (GameFolder.empty() || index < 0 || index >= songs.Count()) return RemoveOutcome::NotAsked;
  const std::string song = songs.At(index).fileName;
  if (!IsRemovableSong(song)) return RemoveOutcome::NotAsked;
  const bool ticked = songs.At(index).ticked;
  if (!question.AskYesNo(RecycleQuestion(song), ProgramTitle)) return RemoveOutcome::Kept;
  if (beforeMove) beforeMove(song);
  if (!MoveSongToRecycleBin(platform.fs, song)) {
    platform.messages.Show(RecycleFailedMessage(song), MessageIcon::Critical);
    return RemoveOutcome::Failed;
  }
  RebuildSongList(songs, platform.fs);
  if (ticked) platform.messages.Show(RecycledTickedMessage(song), MessageIcon::Exclamation);
  return RemoveOutcome::Removed;
}

namespace {

// "a.str", "a.str and b.str", "a.str, b.str and c.str".
std::string Listed(const std::vector<std::string>& songs) {
  std::string text;
  for (size_t i = 0; i < songs.size(); ++i)
    text += (i == 0 ? "" : i + 1 == songs.size() ? " and " : ", ") + songs[i];
  return text;
}

// Up to this many songs are named in the question.
constexpr size_t NamedInQuestion = 5;

}  // namespace

std::string RecycleQuestion(const std::vector<std::string>& songs) {
  if (songs.size() == 1) return RecycleQuestion(songs[0]);
  std::string text = "Move these " + std::to_string(songs.size()) + " songs to the Recycle Bin?";
  if (songs.size() > NamedInQuestion) return text;
  return text + "\r\n\r\n" + Listed(songs);
}

std::string RecycleFailedMessage(const std::vector<std::string>& songs) {
  if (songs.size() == 1) return RecycleFailedMessage(songs[0]);
  return Listed(songs) + " could not be moved to the Recycle Bin. They may be read-only or in use by another "
                         "program.";
}

std::string RecycledTickedMessage(const std::vector<std::string>& songs) {
  if (songs.size() == 1) return RecycledTickedMessage(songs[0]);
  return Listed(songs) + " were ticked. FIFA 2001's songs list changes only when you click on the 'Save Changes' "
                         "button.";
}

RemoveOutcome RemoveSongs(SongList& songs, Platform& platform, IQuestion& question, const std::vector<int>& indexes,
                          const std::function<void(const std::string&)>& beforeMove) {
  if (GameFolder.empty()) return RemoveOutcome::NotAsked;
  std::vector<std::string> names;
  std::vector<bool> ticked;
  for (int index : indexes) {
    if (index < 0 || index >= songs.Count() || !IsRemovableSong(songs.At(index).fileName)) continue;
    names.push_back(songs.At(index).fileName);
    ticked.push_back(songs.At(index).ticked);
  }
  if (names.empty()) return RemoveOutcome::NotAsked;
  if (names.size() == 1) return RemoveSong(songs, platform, question, songs.Find(names[0]), beforeMove);
  if (!question.AskYesNo(RecycleQuestion(names), ProgramTitle)) return RemoveOutcome::Kept;

  std::vector<std::string> paths;
  for (const std::string& name : names) {
    if (beforeMove) beforeMove(name);
    paths.push_back(MusicFolder(GameFolder) + name);
  }
  platform.fs.ShellFileOperation(FO_DELETE_CODE, BuildSourceList(paths), "", RecycleFlags);
  // The shell's word alone proves nothing: each file must be gone.
  std::vector<std::string> kept, tickedGone;
  for (size_t i = 0; i < names.size(); ++i) {
    if (FileExists(platform.fs, paths[i])) {
      kept.push_back(names[i]);
    } else if (ticked[i]) {
      tickedGone.push_back(names[i]);
    }
  }
  if (kept.size() < names.size()) RebuildSongList(songs, platform.fs);
  if (!kept.empty()) platform.messages.Show(RecycleFailedMessage(kept), MessageIcon::Critical);
  if (!tickedGone.empty()) platform.messages.Show(RecycledTickedMessage(tickedGone), MessageIcon::Exclamation);
  return kept.empty() ? RemoveOutcome::Removed : RemoveOutcome::Failed;
}
