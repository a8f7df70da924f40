// Globals shared by the main window and its dialogs, the song list helpers
// and the game's song list file music.inf.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "manager/core/SongList.h"
#include "manager/core/modFiles.h"

// The game's installation folder, without a trailing backslash.
extern std::string GameFolder;
// File name of the song chosen for export; "" when none.
extern std::string SelectedSong;

constexpr const char* ProgramTitle = "Kickora Music Manager";
constexpr const char* SongListFileName = "music.inf";
// The new song list is written here first and renamed over music.inf only
// once complete, so a failed save never loses the game's list.
constexpr const char* SongListTempName = "music.inf.tmp";
constexpr int MaxSongs = SongList::MaxTicked;
constexpr const char* TooManySongsMessage = "You can have only up to 10 songs in FIFA 2001.";
constexpr size_t SongNameBytes = 8;

enum class MessageIcon { Critical, Exclamation, Information, None };

// Message boxes with one OK button.
class IMessageSink {
 public:
  virtual ~IMessageSink() = default;
  virtual void Show(const std::string& text, MessageIcon icon, const std::string& title) = 0;
  void Show(const std::string& text, MessageIcon icon) { Show(text, icon, ProgramTitle); }
};

// Flips the tick of the song at index (music.inf's reader does).
void ToggleCheck(SongList& list, int16_t index);

// music.inf in the music folder (manager/core/Platform.h).
std::string SongListPath();
// File name without its last four characters (anthem.str -> anthem).
std::string SongName(const std::string& fileName);

// Music folder listing in the order the file list box shows it: by name,
// ignoring case.
void SortLikeFileList(std::vector<std::string>& names);
// The song's length as its stream header gives it, read from the file's
// first bytes without decoding; "" for a file that is not a stream.
std::string SongLength(IFileSystem& fs, const std::string& path);
// Replaces the songs with every song file of the music folder whose name
// does not begin with "1", unticked, with their lengths, and the listing
// (the hidden file list's content), which it returns too. Throws RuntimeError 76 when the
// music folder is missing; the songs then stay as they were.
std::vector<std::string> FillSongList(SongList& list, IFileSystem& fs);

// Ticks the songs that music.inf names. Returns true when, with
// verifyFiles, a named song's file was not found. Errors reach the caller.
bool ReadSongList(SongList& list, IFileSystem& fs, bool verifyFiles);

// The bytes of music.inf for the ticked songs; names longer than eight
// characters are reported and left out.
std::vector<uint8_t> BuildSongListFile(const SongList& list, IMessageSink& messages);
// Saves the ticks into music.inf with the save's messages; true when it
// was written (the ticks are then the saved ones).
bool WriteSongList(SongList& list, IFileSystem& fs, IMessageSink& messages);
