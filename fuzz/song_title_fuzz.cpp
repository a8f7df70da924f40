// libFuzzer target: any bytes as the start of a music file whose title tag
// names a new song, and as that file's name: the tag reader, the folding to
// plain letters (Cyrillic and Greek spelt in Latin ones) and the suggested
// name, which must always keep the song name's rules; and the same bytes
// taken as UTF-8 to UTF-16 and back, as a path is on its way to the importer.
#include <cctype>

#include "common/base/text_encoding.h"
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
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string fileName = bytes.substr(0, 200);
  for (char& c : fileName)
    if (c == '\\' || c == '\0') c = '_';
  for (const std::string& input : {std::string("D:\\My Music\\Ol\xC3\xA9.m4a"), "D:\\m\\" + fileName + ".mp3"}) {
    fs.AddFile(input, std::vector<uint8_t>(data, data + size));
    const std::string name = SuggestedSongName(fs, input);
    Require(!name.empty() && name.size() <= SongNameBytes, "a name of one to eight characters");
    Require(name[0] != '1', "a name the song list shows");
    for (char c : name) Require(std::isalnum(static_cast<unsigned char>(c)) != 0, "letters and digits only");
    Require(!SongNameTaken(fs, name), "a free name");
  }

  // Whatever the bytes, UTF-16 and back gives valid UTF-8 that stays as it
  // is on a second round, and valid UTF-8 comes back unchanged.
  const std::u16string units = kickora::Utf16FromUtf8(bytes);
  Require(units.size() <= size, "no more code units than bytes");
  const std::string utf8 = kickora::Utf8FromUtf16(units);
  Require(kickora::Utf8FromUtf16(kickora::Utf16FromUtf8(utf8)) == utf8, "stable after one round");
  Require(kickora::Utf16FromUtf8(utf8) == units, "the same characters");
  return 0;
}
