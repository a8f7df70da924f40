// Globals shared by the main window and its dialogs, the song list helpers
// and the game's song list file music.inf.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
constexpr int MaxSongs = 10;
constexpr size_t SongNameBytes = 8;

// List-view item state bits the song list uses.
constexpr unsigned LVIS_SELECTED_BIT = 0x0002;
constexpr unsigned LVIS_STATEIMAGEMASK_BITS = 0xF000;
constexpr unsigned StateUnchecked = 0x1000;
constexpr unsigned StateChecked = 0x2000;
constexpr unsigned ToggleStateMask = 0x3000;

// The song list as the list-view control exposes it: items with a text and
// state bits (check mark in the state image bits, selection).
class ISongList {
 public:
  virtual ~ISongList() = default;
  virtual int Count() const = 0;
  virtual std::string Text(int index) const = 0;
  virtual unsigned GetItemState(int index, unsigned mask) const = 0;
  virtual void SetItemState(int index, unsigned state, unsigned mask) = 0;
  virtual void Clear() = 0;
  virtual void Add(const std::string& text) = 0;
};

enum class MessageIcon { Critical, Exclamation, Information, None };

// Message boxes with one OK button.
class IMessageSink {
 public:
  virtual ~IMessageSink() = default;
  virtual void Show(const std::string& text, MessageIcon icon, const std::string& title) = 0;
  void Show(const std::string& text, MessageIcon icon) { Show(text, icon, ProgramTitle); }
};

void ToggleCheck(ISongList& list, int16_t index);
bool IsChecked(const ISongList& list, int index);
bool IsSelected(const ISongList& list, int index);

// music.inf in the music folder (manager/core/Platform.h).
std::string SongListPath();
// File name without its last four characters (anthem.str -> anthem).
std::string SongName(const std::string& fileName);

// Music folder listing in the order the file list box shows it: by name,
// ignoring case.
void SortLikeFileList(std::vector<std::string>& names);
// Clears the list and adds every song file of the music folder whose name
// does not begin with "1". Returns the listing (the hidden file list's
// content). Throws RuntimeError 76 when the music folder is missing.
std::vector<std::string> FillSongList(ISongList& list, IFileSystem& fs);

// Checks the items that music.inf names. Returns true when, with
// verifyFiles, a named song's file was not found. Errors reach the caller.
bool ReadSongList(ISongList& list, IFileSystem& fs, bool verifyFiles);

// The bytes of music.inf for the checked items; names longer than eight
// characters are reported and left out.
std::vector<uint8_t> BuildSongListFile(const ISongList& list, IMessageSink& messages);
void WriteSongList(const ISongList& list, IFileSystem& fs, IMessageSink& messages);
