// The suggested name of a new song: folding to plain letters, the "1" rule,
// numbers for taken names, and the title tags of every kind of file the
// importer reads, built here byte by byte (damaged ones too).
#include <gtest/gtest.h>

#include "fakes.h"
#include "manager/core/SongNames.h"
#include "manager/core/SongTitleTag.h"
#include "tag_builders.h"

namespace {

using namespace tag_builders;

const std::string Game = "C:\\Games\\FIFA 2001";
const std::string Music = Game + "\\data\\audio\\music\\";

std::string Title(const std::string& bytes) {
  return TitleTag(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(SongTitleTag, EachKindOfFileGivesItsTitle) {
  for (const TaggedFile& file : TaggedFiles()) EXPECT_EQ(Title(file.bytes), file.title) << file.name;
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
  EXPECT_EQ(suggest("D:\\m\\!!!.ogg", ""), "song1");
  EXPECT_EQ(suggest("D:\\m\\My.Goal.m4a", ""), "MyGoal");
  EXPECT_EQ(SuggestedSongName(fs, "D:\\m\\gone.mp3"), "gone") << "an unreadable file: its name";
}

TEST(SongNames, CyrillicAndGreekAreSpeltInLatinLetters) {
  EXPECT_EQ(FoldUtf8("Песня"), "Pesnya");
  EXPECT_EQ(FoldUtf8("Моя музыка: Щука, Жёлтый, подъезд, Эхо"), "MoyamuzykaShchukaZheltyypodezdEkho");
  EXPECT_EQ(FoldUtf8("Їжак Ґанок Єва Љубав Њива Џеп Ђак Ћерка Ѕвезда Ќе Ѓон Ў"),
            "YizhakGanokYevaLjubavNjivaDzepDjakCerkaDzvezdaKeGonU")
      << "Ukrainian, Belarusian, Serbian and Macedonian letters";
  EXPECT_EQ(FoldUtf8("Ψυχή Θάλασσα ΑΒΓΔ ϊΰ"), "PsychiThalassaAVGDiy") << "accents, final sigma";
  EXPECT_EQ(FoldUtf8("Ѐ ѐ ѝ Ѝ ϐ Ϣ"), "EeiI") << "letters beyond the tables go";
}

TEST(SongNames, ANameInAnyScriptGivesAPlainSuggestionOrANumberedSong) {
  GameFolder = Game;
  FakeFileSystem fs;
  fs.caseInsensitive = true;
  fs.AddFile(Music + "song1.str");
  const auto suggest = [&](const std::string& path, const std::string& bytes) {
    fs.AddFile(path, Bytes(bytes));
    return SuggestedSongName(fs, path);
  };
  EXPECT_EQ(suggest("D:\\Моя музыка\\Песня.mp3", "ID3 no frames"), "Pesnya");
  EXPECT_EQ(suggest("D:\\m\\Σχέδιο Ηλιοβασίλεμα.ogg", ""), "SchedioI") << "eight letters at most";
  const std::string comment = VorbisComment({"TITLE=Жар"});
  EXPECT_EQ(suggest("D:\\m\\x.flac", "fLaC" + std::string(1, char(0x84)) + Be24(uint32_t(comment.size())) + comment),
            "Zhar") << "a title in Cyrillic";
  EXPECT_EQ(suggest("D:\\m\\歌.flac", ""), "song2") << "nothing usable: song1 is taken";
  fs.AddFile(Music + "song2.str");
  EXPECT_EQ(suggest("D:\\m\\🎵🎶.wav", "RIFF"), "song3") << "emoji only";
}

}  // namespace
