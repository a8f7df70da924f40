// Removing a song the player no longer wants: after his Yes the file goes
// to the Recycle Bin (so he can get it back), the list is built again from
// the music folder with his unsaved ticks kept, and a removed ticked song
// reminds him that the game's own list changes only when he saves.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "manager/core/frmMain.h"

// Shell file operation values for a delete that can be undone.
constexpr unsigned FO_DELETE_CODE = 3;
constexpr unsigned FOF_ALLOWUNDO_FLAG = 0x40;
// The Recycle Bin without the shell's own confirmation, progress or error
// dialog: the manager has asked already and reports a failure itself.
constexpr unsigned RecycleFlags =
    FOF_ALLOWUNDO_FLAG | FOF_NOCONFIRMATION_FLAG | FOF_NOERRORUI_FLAG | FOF_SILENT_FLAG;

// A question with Yes and No buttons, the question icon and No the default.
class IQuestion {
 public:
  virtual ~IQuestion() = default;
  virtual bool AskYesNo(const std::string& text, const std::string& title) = 0;
};

std::string RecycleQuestion(const std::string& song);
std::string RecycleFailedMessage(const std::string& song);
std::string RecycledTickedMessage(const std::string& song);
// The same for several songs: the question names them while they are few.
std::string RecycleQuestion(const std::vector<std::string>& songs);
std::string RecycleFailedMessage(const std::vector<std::string>& songs);
std::string RecycledTickedMessage(const std::vector<std::string>& songs);

// A file name of the list that may be removed: a plain name, never one of
// the game's own songs (beginning with "1").
bool IsRemovableSong(const std::string& song);

// Moves the music folder's song to the Recycle Bin; true when it is gone.
bool MoveSongToRecycleBin(IFileSystem& fs, const std::string& song);


enum class RemoveOutcome { NotAsked, Kept, Removed, Failed };

// The whole flow for the list's item index. beforeMove runs after the Yes,
// just before the file moves (the player stops the song if it plays).
RemoveOutcome RemoveSong(SongList& songs, Platform& platform, IQuestion& question, int index,
                         const std::function<void(const std::string&)>& beforeMove);

// The same for several of the list's items at once: one question, one move
// of them all (one undo in the Recycle Bin), one rebuild, one reminder.
// Items that may not be removed are passed over; one such item alone is
// RemoveSong's.
RemoveOutcome RemoveSongs(SongList& songs, Platform& platform, IQuestion& question, const std::vector<int>& indexes,
                          const std::function<void(const std::string&)>& beforeMove);
