// libFuzzer target: any bytes as the start of a music file whose title tag
// names a new song: the tag reader, the folding to plain letters and the
// suggested name, which must always keep the song name's rules.
#include <cctype>

#include "fuzz_support.h"
#include "manager/core/SongNames.h"
#include "manager/core/SongTitleTag.h"
#include "manager/unit/fakes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string title = TitleTag(data, size);
  // UTF-8 from ISO 8859-1 doubles a text at most, from UTF-16 makes it half as long again.
  Require(title.size() <= 2 * size, "the title comes from the bytes given");

  GameFolder = "C:\\Games\\FIFA 2001";
  FakeFileSystem fs;
  fs.caseInsensitive = true;
  for (const char* song : {"anthem.str", "song.str", "Ole.str"}) fs.AddFile(MusicFolder(GameFolder) + song);
  const std::string input = "D:\\My Music\\Ol\xE9.m4a";
  fs.AddFile(input, std::vector<uint8_t>(data, data + size));
  const std::string name = SuggestedSongName(fs, input);
  Require(!name.empty() && name.size() <= SongNameBytes, "a name of one to eight characters");
  Require(name[0] != '1', "a name the song list shows");
  for (char c : name) Require(std::isalnum(static_cast<unsigned char>(c)) != 0, "letters and digits only");
  Require(!SongNameTaken(fs, name), "a free name");
  return 0;
}
