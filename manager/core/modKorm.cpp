#include "manager/core/modKorm.h"

#include <algorithm>
#include <cctype>

#include "common/base/stream_header.h"
#include "manager/core/Platform.h"
#include "manager/core/RuntimeError.h"
#include "manager/core/modStrings.h"

std::string GameFolder;
std::string SelectedSong;


void ToggleCheck(SongList& list, int16_t index) { list.Toggle(index); }

std::string SongListPath() { return MusicFolder(GameFolder) + SongListFileName; }

std::string SongName(const std::string& fileName) {
  return fileName.size() > 4 ? fileName.substr(0, fileName.size() - 4) : std::string();
}

void SortLikeFileList(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    std::string la = LowerAscii(a), lb = LowerAscii(b);
    return la != lb ? la < lb : a < b;
  });
}

std::string SongLength(IFileSystem& fs, const std::string& path) {
  // A stream's header lies at its start; a file whose first 64 KB hold
  // none is not a song the game plays.
  constexpr size_t HeadBytes = 64 * 1024;
  try {
    const std::vector<uint8_t> head = fs.ReadStart(path, HeadBytes);
    kickora::StreamSummary summary;
    if (!kickora::ReadStreamSummary(head.data(), head.size(), summary)) return "";
    return LengthText(summary.sampleCount, summary.frequency);
  } catch (const RuntimeError&) {
    return "";
  }
}

std::vector<std::string> FillSongList(SongList& list, IFileSystem& fs) {
  std::vector<std::string> names = fs.ListFiles(MusicFolder(GameFolder), "*.str");
  SortLikeFileList(names);
  std::vector<Song> songs;
  for (const std::string& name : names) {
    // Files whose names begin with "1" are the game's own, never listed.
    if (!name.empty() && name[0] != '1') songs.push_back({name, false, SongLength(fs, MusicFolder(GameFolder) + name)});
  }
  list.Replace(std::move(songs), names);
  return names;
}

bool ReadSongList(SongList& list, IFileSystem& fs, bool verifyFiles) {
  std::vector<uint8_t> bytes = fs.ReadAll(SongListPath());
  bool missing = false;
  if (bytes.empty()) return missing;
  const size_t count = bytes[0];
  for (size_t k = 0; k < count; ++k) {
    size_t offset = 2 + SongNameBytes * k;
    // A count larger than the file's entries stops at the end of the file.
    if (offset + SongNameBytes > bytes.size()) break;
    std::string raw(reinterpret_cast<const char*>(&bytes[offset]), SongNameBytes);
    std::string name = raw.substr(0, raw.find('\0'));
    std::string lowerName = LowerAscii(name);
    for (int i = 0; i < list.Count(); ++i) {
      if (LowerAscii(SongName(list.At(i).fileName)) != lowerName) continue;
      if (!verifyFiles || FileExists(fs, MusicFolder(GameFolder) + name + ".str")) {
        ToggleCheck(list, static_cast<int16_t>(i));
      } else {
        missing = true;
      }
      break;
    }
  }
  return missing;
}

std::vector<uint8_t> BuildSongListFile(const SongList& list, IMessageSink& messages) {
  std::vector<uint8_t> bytes{0, 0};
  uint8_t n = 0;
  for (const Song& song : list.Songs()) {
    if (!song.ticked) continue;
    std::string name = SongName(song.fileName);
    if (name.size() > SongNameBytes) {
      messages.Show("Warning: There's a filename made up of more than 8 characters. That file "
                    "will be skipped.",
                    MessageIcon::Critical);
      continue;
    }
    bytes.insert(bytes.end(), name.begin(), name.end());
    bytes.insert(bytes.end(), SongNameBytes - name.size(), 0);
    ++n;
  }
  bytes[0] = n;
  return bytes;
}

bool WriteSongList(SongList& list, IFileSystem& fs, IMessageSink& messages) {
  if (list.TickedCount() > MaxSongs) {
    messages.Show(TooManySongsMessage, MessageIcon::Information);
    return false;
  }

  const std::string path = SongListPath();
  const std::string temp = MusicFolder(GameFolder) + SongListTempName;
  try {
    std::vector<uint8_t> bytes = BuildSongListFile(list, messages);
    fs.WriteAll(temp, bytes);
    // A read-only (or hidden, system) music.inf would refuse the rename.
    if (FileExists(fs, path)) {
      try {
        fs.SetNormalAttributes(path);
      } catch (const RuntimeError&) {
      }
    }
    fs.ReplaceWith(temp, path);
  } catch (const RuntimeError& error) {
    try {
      if (FileExists(fs, temp)) fs.Remove(temp);
    } catch (const RuntimeError&) {
    }
    messages.Show("Error n\xB0 " + std::to_string(error.Number) + "\r\n" + error.Description,
                  MessageIcon::Critical);
    return false;
  }
  list.MarkSaved();
  messages.Show("Changes saved!", MessageIcon::Information);
  return true;
}
