#include "manager/core/SongList.h"

#include <algorithm>

int SongList::Find(const std::string& fileName) const {
  for (int i = 0; i < Count(); ++i)
    if (songs_[static_cast<size_t>(i)].fileName == fileName) return i;
  return -1;
}

void SongList::Replace(std::vector<Song> songs, std::vector<std::string> listing) {
  songs_ = std::move(songs);
  listing_ = std::move(listing);
  if (view_) view_->ShowSongs(*this);
}

void SongList::MarkSaved() {
  saved_ = TickedFiles();
  if (view_) view_->ShowSaved(*this);
}

void SongList::Toggle(int index) {
  Song& song = songs_.at(static_cast<size_t>(index));
  song.ticked = !song.ticked;
  if (view_) view_->ShowTick(*this, index);
}

TickAnswer SongList::RequestTick(int index, bool ticked) {
  if (index < 0 || index >= Count()) return TickAnswer::Refused;
  if (At(index).ticked == ticked) return TickAnswer::Done;
  if (ticked && TickedCount() >= MaxTicked) return TickAnswer::Refused;
  Toggle(index);
  return TickAnswer::Done;
}

int SongList::TickedCount() const {
  int count = 0;
  for (const Song& song : songs_) count += song.ticked ? 1 : 0;
  return count;
}

std::set<std::string> SongList::TickedFiles() const {
  std::set<std::string> ticked;
  for (const Song& song : songs_)
    if (song.ticked) ticked.insert(song.fileName);
  return ticked;
}

std::string LengthText(int64_t samples, int64_t rate) {
  if (samples <= 0 || rate <= 0) return "";
  // A song that plays at all reads at least 0:01.
  const int64_t seconds = std::max<int64_t>(1, (samples + rate / 2) / rate);
  const int64_t rest = seconds % 60;
  return std::to_string(seconds / 60) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

std::string TickedCountText(const SongList& songs) {
  std::string text = std::to_string(songs.TickedCount()) + " of " + std::to_string(SongList::MaxTicked);
  return text + (songs.HasUnsavedTicks() ? " ticked, not saved" : " songs ticked");
}
