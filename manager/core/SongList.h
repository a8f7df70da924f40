// The songs of the music folder as the main window lists them: an ordered
// list of songs, each with its file name, its tick (the game plays it) and
// its length. The core owns it; a window only shows it (ISongListView)
// and reports the player's clicks. It also remembers the ticks as music.inf
// has them (read at start-up or last saved), so that closing can tell the
// player that his ticks are not saved yet.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

struct Song {
  std::string fileName;  // anthem.str
  bool ticked = false;
  std::string length;  // "3:07"; "" when the file is not a stream
};

class SongList;

// What shows the list: told of every change.
class ISongListView {
 public:
  virtual ~ISongListView() = default;
  // The songs were replaced: show them all anew.
  virtual void ShowSongs(const SongList& songs) = 0;
  // One song's tick changed.
  virtual void ShowTick(const SongList& songs, int index) = 0;
  // The ticks were read or saved: they are music.inf's now.
  virtual void ShowSaved(const SongList& /*songs*/) {}
};

// The player's click on a tick box, answered.
enum class TickAnswer { Done, Refused };

class SongList {
 public:
  // At most this many songs can be ticked by a click: the game plays no more.
  static constexpr int MaxTicked = 10;

  void Attach(ISongListView* view) { view_ = view; }

  int Count() const { return static_cast<int>(songs_.size()); }
  const Song& At(int index) const { return songs_.at(static_cast<size_t>(index)); }
  const std::vector<Song>& Songs() const { return songs_; }
  // The index of the song with this file name (exactly); -1 when none.
  int Find(const std::string& fileName) const;

  // New songs from a listing of the music folder (every song file, the
  // game's own among them, which are not songs of the list); every tick as
  // given.
  void Replace(std::vector<Song> songs, std::vector<std::string> listing = {});
  const std::vector<std::string>& Listing() const { return listing_; }
  // Flips a tick as music.inf's reader does: no limit applies.
  void Toggle(int index);
  // The player ticks or unticks a song: ticking one more than MaxTicked
  // is refused and changes nothing.
  TickAnswer RequestTick(int index, bool ticked);

  int TickedCount() const;
  std::set<std::string> TickedFiles() const;

  // The ticks now are those music.inf holds (read or just saved).
  void MarkSaved();
  // The ticks differ from music.inf's: closing would lose them.
  bool HasUnsavedTicks() const { return TickedFiles() != saved_; }

 private:
  std::vector<Song> songs_;
  std::vector<std::string> listing_;
  std::set<std::string> saved_;
  ISongListView* view_ = nullptr;
};

// "3:07" for a stream of that many samples at that rate, rounded to the
// nearest second (at least 0:01); "" when either is not positive.
std::string LengthText(int64_t samples, int64_t rate);

// The line under the list: "7 of 10 songs ticked", and that they are not
// saved yet when they differ from music.inf.
std::string TickedCountText(const SongList& songs);
