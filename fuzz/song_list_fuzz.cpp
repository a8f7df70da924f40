// libFuzzer target: any bytes as the game's song list file music.inf, read
// against a song list with and without checking the songs' files.
#include "fuzz_support.h"
#include "manager/core/RuntimeError.h"
#include "manager/unit/fakes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  GameFolder = "C:\\Games\\FIFA 2001";
  FakeFileSystem fs;
  fs.AddFile(SongListPath(), std::vector<uint8_t>(data, data + size));
  const std::vector<std::string> songs{"anthem.str", "Goal.str", ".str", "12345678.str", "crowd.str"};
  for (const std::string& song : songs) {
    if (song != "crowd.str") fs.AddFile(MusicFolder(GameFolder) + song);
  }
  for (bool verify : {false, true}) {
    FakeSongList list(songs);
    try {
      ReadSongList(list, fs, verify);
    } catch (const RuntimeError&) {
    }
    Require(list.Count() == static_cast<int>(songs.size()), "reading keeps the list's items");
    // Writing the list back must give a well-formed file.
    FakeMessages messages;
    std::vector<uint8_t> written = BuildSongListFile(list, messages);
    Require(written.size() == 2 + 8 * static_cast<size_t>(written[0]), "written file matches its count");
  }
  return 0;
}
