// The suggested name of a new song: folding to plain letters, the "1" rule,
// numbers for taken names, and the title tags of every kind of file the
// importer reads, built here byte by byte (damaged ones too).
#include <gtest/gtest.h>

#include "fakes.h"
#include "manager/core/SongNames.h"
#include "manager/core/SongTitleTag.h"

namespace {

const std::string Game = "C:\\Games\\FIFA 2001";
const std::string Music = Game + "\\data\\audio\\music\\";

std::string Le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string Be32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }
std::string Be24(uint32_t v) { return {char(v >> 16), char(v >> 8), char(v)}; }
std::string SyncSafe(uint32_t v) { return {char((v >> 21) & 0x7F), char((v >> 14) & 0x7F), char((v >> 7) & 0x7F), char(v & 0x7F)}; }

std::string Id3(int major, const std::string& frames) {
  return std::string("ID3") + char(major) + '\0' + '\0' + SyncSafe(uint32_t(frames.size())) + frames;
}
std::string Id3Frame(int major, const std::string& id, const std::string& content) {
  if (major == 2) return id + Be24(uint32_t(content.size())) + content;
  return id + (major == 3 ? Be32(uint32_t(content.size())) : SyncSafe(uint32_t(content.size()))) + '\0' + '\0' + content;
}
std::string VorbisComment(const std::vector<std::string>& entries) {
  std::string out = Le32(6) + "kickor" + Le32(uint32_t(entries.size()));
  for (const std::string& e : entries) out += Le32(uint32_t(e.size())) + e;
  return out;
}
std::string OggPage(uint32_t serial, const std::string& lacing, const std::string& data) {
  return std::string("OggS") + '\0' + '\0' + std::string(8, '\0') + Le32(serial) + Le32(0) + Le32(0) +
         char(lacing.size()) + lacing + data;
}
std::string Box(const std::string& type, const std::string& content) {
  return Be32(uint32_t(8 + content.size())) + type + content;
}
std::string Chunk(const std::string& id, const std::string& data, bool bigEndian) {
  std::string out = id + (bigEndian ? Be32(uint32_t(data.size())) : Le32(uint32_t(data.size()))) + data;
  if (data.size() & 1) out += '\0';
  return out;
}

std::string Title(const std::string& bytes) {
  return TitleTag(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(SongTitleTag, EachKindOfFileGivesItsTitle) {
  // ID3v2.3, UTF-16 with a byte order mark, after another frame.
  const std::string utf16 = std::string("\x01\xFF\xFE", 3) + std::string("C\0a\0n\0c\0i\0\xF3\0n\0\0\0", 16);
  EXPECT_EQ(Title(Id3(3, Id3Frame(3, "TPE1", std::string("\0Band", 5)) + Id3Frame(3, "TIT2", utf16)) +
                  std::string(10, '\0')),
            "Canci\xC3\xB3n");
  EXPECT_EQ(Title(Id3(4, Id3Frame(4, "TIT2", "\x03Gol\xC3\xA9")) + "\xFF\xFB"), "Gol\xC3\xA9");
  EXPECT_EQ(Title(Id3(2, Id3Frame(2, "TT2", std::string("\0Ni\xF1o", 5)))), "Ni\xC3\xB1o");
  EXPECT_EQ(Title(Id3(3, Id3Frame(3, "TIT2", std::string("\x02\0H\0i", 5)))), "Hi");

  const std::string comment = VorbisComment({"ARTIST=Band", "title=Flac Song"});
  EXPECT_EQ(Title("fLaC" + std::string(1, '\0') + Be24(34) + std::string(34, '\0') + char(0x84) +
                  Be24(uint32_t(comment.size())) + comment),
            "Flac Song");

  // Opus: the head on one page, the tags on the next.
  const std::string tags = "OpusTags" + VorbisComment({"TITLE=Opus Song"});
  EXPECT_EQ(Title(OggPage(7, "\x13", "OpusHead" + std::string(11, '\0')) +
                  OggPage(7, std::string(1, char(tags.size())), tags)),
            "Opus Song");
  // Vorbis: a long comment packet that goes on to the next page, and a
  // page of another stream between them.
  const std::string vorbis = "\x03vorbis" + VorbisComment({"TITLE=" + std::string(270, 'v')});
  ASSERT_GT(vorbis.size(), 255u);
  EXPECT_EQ(Title(OggPage(1, "\x1E", "\x01vorbis" + std::string(23, '\0')) +
                  OggPage(1, "\xFF", vorbis.substr(0, 255)) + OggPage(2, "\x03", "xyz") +
                  OggPage(1, std::string(1, char(vorbis.size() - 255)), vorbis.substr(255))),
            std::string(270, 'v'));

  const std::string ilst = Box("ilst", Box("\xA9nam", Box("data", Be32(1) + Be32(0) + "M4a Song")));
  const std::string meta = Box("meta", Be32(0) + Box("hdlr", std::string(25, '\0')) + ilst);
  EXPECT_EQ(Title(Box("ftyp", "M4A ") + Box("moov", Box("mvhd", std::string(100, '\0')) + Box("udta", meta))),
            "M4a Song");

  EXPECT_EQ(Title("RIFF" + Le32(100) + "WAVE" + Chunk("fmt ", std::string(16, '\0'), false) +
                  Chunk("LIST", "INFO" + Chunk("IART", "Band", false) + Chunk("INAM", "Wav\xE9", false), false) +
                  Chunk("data", "ab", false)),
            "Wav\xE9");
  EXPECT_EQ(Title("FORM" + Be32(100) + "AIFF" + Chunk("COMM", std::string(18, '\0'), true) +
                  Chunk("NAME", "Aiff Song", true)),
            "Aiff Song");
  EXPECT_EQ(Title("FORM" + Be32(100) + "AIFC" + Chunk("ID3 ", Id3(3, Id3Frame(3, "TIT2", std::string("\0Tagged", 7))), true)),
            "Tagged");
}

TEST(SongTitleTag, DamagedOrCutTagsGiveNoTitle) {
  const std::string whole = Id3(3, Id3Frame(3, "TIT2", std::string("\0Song", 5)));
  ASSERT_EQ(Title(whole), "Song");
  for (size_t cut = 0; cut < whole.size(); ++cut) EXPECT_EQ(Title(whole.substr(0, cut)), "") << cut;
  // Lengths that run past the end, or wrap around on a 32-bit size.
  EXPECT_EQ(Title("fLaC" + std::string(1, char(0x84)) + Be24(0xFFFFFF) + Le32(0xFFFFFFFF) + "TITLE=x"), "");
  EXPECT_EQ(Title("fLaC" + std::string(1, char(0x84)) + Be24(20) + Le32(0) + Le32(0xFFFFFFF0) + Le32(0xFFFFFFFE)), "");
  EXPECT_EQ(Title(Box("ftyp", "M4A ") + Be32(0xFFFFFFF0) + "moov" + "short"), "");
  EXPECT_EQ(Title(Box("ftyp", "M4A ") + Be32(1) + "moov" + Be32(0xFFFFFFFF) + Be32(0xFFFFFFFF)), "");
  EXPECT_EQ(Title("RIFF" + Le32(4) + "WAVE" + "LIST" + Le32(0xFFFFFFFF) + "INFOINAM"), "");
  EXPECT_EQ(Title(OggPage(1, "\xFF\xFF", "short")), "");
  EXPECT_EQ(Title("plain text renamed to .m4a"), "");
  EXPECT_EQ(TitleTag(nullptr, 100), "");
}

TEST(SongNames, LettersAreFoldedAndTheNameKeepsTheRules) {
  EXPECT_EQ(FoldUtf8("Canci\xC3\xB3n \xC3\x91" "and\xC3\xBA \xC3\x86on \xC3\x9F \xC5\x92uvre \xC5\x81\xC3\xB3" "d\xC5\xBA"),
            "CancionNanduAEonssOEuvreLodz");
  EXPECT_EQ(FoldUtf8("e\xCC\x81t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC"), "ete") << "marks and other scripts go";
  EXPECT_EQ(FoldUtf8("Ni\xF1o \x8A"), "NinoS") << "bytes that are no UTF-8 read as code page 1252";
  EXPECT_EQ(FoldAnsi("Canci\xF3n \x9Cuvre \xC3\xA9"), "CancionoeuvreA") << "not read as UTF-8";

  EXPECT_EQ(SongNameFromLetters("1999Live"), "999Live");
  EXPECT_EQ(SongNameFromLetters("111"), "");
  EXPECT_EQ(SongNameFromLetters("CancionNandu"), "CancionN");
}

TEST(SongNames, SuggestionsComeFromTheTitleOrTheFileNameAndAreFree) {
  GameFolder = Game;
  FakeFileSystem fs;
  fs.caseInsensitive = true;
  for (const char* song : {"Goal.str", "goal2.str", "abcdefgh.str", "Cancion.str"}) fs.AddFile(Music + song);

  EXPECT_EQ(FreeSongName(fs, "goal"), "goal3");
  EXPECT_EQ(FreeSongName(fs, "ABCDEFGH"), "ABCDEFG2");
  EXPECT_EQ(FreeSongName(fs, "con"), "con2") << "a device's name";
  EXPECT_EQ(FreeSongName(fs, "Com1"), "Com12");
  EXPECT_EQ(FreeSongName(fs, "free"), "free");

  const auto suggest = [&](const std::string& path, const std::string& bytes) {
    fs.AddFile(path, Bytes(bytes));
    return SuggestedSongName(fs, path);
  };
  EXPECT_EQ(suggest("D:\\m\\track01.mp3", Id3(4, Id3Frame(4, "TIT2", "\x03" "11 Ol\xC3\xA9 ol\xC3\xA9!"))), "Oleole");
  EXPECT_EQ(suggest("D:\\m\\Canci\xF3n.mp3", "ID3 damaged"), "Cancion2");
  EXPECT_EQ(suggest("D:\\m\\x.flac", "fLaC" + std::string(1, char(0x84)) + Be24(23) +
                                         VorbisComment({"TITLE=\xE6\x97\xA5"})),
            "x") << "a title without letters: the file name";
  EXPECT_EQ(suggest("D:\\m\\1 2 3.wav", "RIFF"), "23");
  EXPECT_EQ(suggest("D:\\m\\!!!.ogg", ""), "song");
  EXPECT_EQ(suggest("D:\\m\\My.Goal.m4a", ""), "MyGoal");
  EXPECT_EQ(SuggestedSongName(fs, "D:\\m\\gone.mp3"), "gone") << "an unreadable file: its name";
}

}  // namespace
