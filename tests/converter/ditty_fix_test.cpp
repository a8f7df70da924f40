// NHL 2000 ditty offset fix: finding the tables in the game program,
// updating them from the archives' directories and saving the program.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "converter/console/command_line.h"
#include "converter/context/context.h"
#include "converter/modes/ditty_fix.h"
#include "converter/support/file_io.h"
#include "support/test_files.h"

namespace fs = std::filesystem;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

const Bytes kDittiesSignature = BytesOf({0xc1, 0xc0, 0x40, 0x3b, 0x94, 0x0b, 0x00, 0x00});
const Bytes kHornsSignature = BytesOf({0x00, 0xff, 0x7f, 0x47, 0x50, 0x03, 0x00, 0x00});
constexpr size_t kDittiesAt = 1000;
constexpr size_t kHornsAt = 500000;
constexpr size_t kProgramSize = 2000000;

// A BIGF directory with the given data offsets (sizes and names filled in).
Bytes Archive(const std::vector<uint32_t>& offsets, std::optional<uint32_t> countField = {}) {
  Bytes out;
  AppendText(out, "BIGF");
  AppendU32(out, 0);
  AppendU32BE(out, countField.value_or(static_cast<uint32_t>(offsets.size())));
  AppendU32BE(out, 0);
  for (size_t i = 0; i < offsets.size(); ++i) {
    AppendU32BE(out, offsets[i]);
    AppendU32BE(out, 1234);
    AppendText(out, "ditty" + std::to_string(i) + ".asf");
    out.push_back(0);
  }
  return out;
}

// A game program with both tables: the signature, then the further values.
Bytes Program(const std::vector<uint32_t>& dittiesRest, const std::vector<uint32_t>& hornsRest,
              size_t size = kProgramSize) {
  Bytes image(size);
  for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 13 + 5);
  auto place = [&](size_t at, const Bytes& signature, const std::vector<uint32_t>& rest) {
    if (at + 8 + 4 * rest.size() > size) return;
    std::copy(signature.begin(), signature.end(), image.begin() + static_cast<long>(at));
    for (size_t k = 0; k < rest.size(); ++k) PutU32LE(&image[at + 8 + 4 * k], rest[k]);
  };
  place(kDittiesAt, kDittiesSignature, dittiesRest);
  place(kHornsAt, kHornsSignature, hornsRest);
  return image;
}

uint32_t TableValue(const Bytes& image, size_t signatureAt, size_t k) { return U32At(image, signatureAt + 4 + 4 * k); }

std::string Path(const std::string& folder, const std::string& name) { return folder + PathSeparator() + name; }
const std::string kDitties = Path("ditties", "ditties.viv");
const std::string kHorns = Path("required", "horns.viv");

class DittyFixTest : public ::testing::Test {
 protected:
  int Run() {
    const tonepak::Result result = tonepak::DittyFix({});
    output = result.Text();
    if (result.status == tonepak::Status::kFailureShowUsage) output += tonepak::UsageText();
    return result.ok() ? 0 : 1;
  }
  void WriteArchives(const std::vector<uint32_t>& ditties, const std::vector<uint32_t>& horns) {
    WriteFileBytes(fs::path("ditties") / "ditties.viv", Archive(ditties));
    WriteFileBytes(fs::path("required") / "horns.viv", Archive(horns));
  }
  ScopedWorkDir dir;
  std::string output;
};

// --- The mode ------------------------------------------------------------

TEST_F(DittyFixTest, WritesTheArchivesOffsetsIntoBothTables) {
  const Bytes original = Program({1, 2}, {7});
  WriteFileBytes("nhl2k.exe", original);
  WriteArchives({2964, 5000, 6000}, {100, 200});
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(output, "scanning 'nhl2k.exe'...\n"
                    "fixing " + kDitties + ": start offset 000003EC\n"
                    "2/3 offsets fixed..\n"
                    "fixing " + kHorns + ": start offset 0007A124\n"
                    "2/2 offsets fixed..\n"
                    "'nhl2k.exe' patched\n");
  Bytes patched = ReadFileBytes("nhl2k.exe");
  ASSERT_EQ(patched.size(), original.size());
  EXPECT_EQ(TableValue(patched, kDittiesAt, 0), 2964u);
  EXPECT_EQ(TableValue(patched, kDittiesAt, 1), 5000u);
  EXPECT_EQ(TableValue(patched, kDittiesAt, 2), 6000u);
  EXPECT_EQ(TableValue(patched, kHornsAt, 0), 100u);
  EXPECT_EQ(TableValue(patched, kHornsAt, 1), 200u);
  // Nothing but the four values changed.
  Bytes expected = original;
  for (auto [at, k, value] : {std::tuple{kDittiesAt, 1, 5000}, {kDittiesAt, 2, 6000}, {kHornsAt, 0, 100},
                              {kHornsAt, 1, 200}}) {
    PutU32LE(&expected[at + 4 + 4 * static_cast<size_t>(k)], static_cast<uint32_t>(value));
  }
  EXPECT_EQ(patched, expected);
  // No temporary is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 3);
}

TEST_F(DittyFixTest, SmallExeFallsBackToTheIcdFile) {
  const Bytes small(kProgramSize - 1, 0);
  WriteFileBytes("nhl2k.exe", small);
  WriteFileBytes("nhl2k.icd", Program({}, {}, 300000));
  WriteArchives({1}, {848});
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(output, StartsWith("scanning 'nhl2k.icd'...\n"));
  EXPECT_THAT(output, HasSubstr(kHorns + ": no match found\n"));
  EXPECT_THAT(output, EndsWith("'nhl2k.icd' patched\n"));
  EXPECT_EQ(TableValue(ReadFileBytes("nhl2k.icd"), kDittiesAt, 0), 1u);
  EXPECT_EQ(ReadFileBytes("nhl2k.exe"), small);
}

TEST_F(DittyFixTest, WithoutTheProgramTheUsageIsShown) {
  EXPECT_EQ(Run(), 1);
  EXPECT_THAT(output, StartsWith("couldn't open 'nhl2k.icd'\n\n TONEPAK "));
  EXPECT_THAT(output, HasSubstr(" Usage:\n"));

  WriteFileBytes("nhl2k.exe", Bytes(10, 0));
  EXPECT_EQ(Run(), 1);
  EXPECT_THAT(output, StartsWith("couldn't open 'nhl2k.icd'\n"));
}

TEST_F(DittyFixTest, ChangingTheFirstValueHidesTheTableFromASecondRun) {
  WriteFileBytes("nhl2k.exe", Program({}, {}));
  WriteArchives({3000}, {848});
  ASSERT_EQ(Run(), 0);
  const Bytes once = ReadFileBytes("nhl2k.exe");
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(output, "scanning 'nhl2k.exe'...\n" + kDitties + ": no match found\nfixing " + kHorns +
                        ": start offset 0007A124\nno changes needed\n");
  EXPECT_EQ(ReadFileBytes("nhl2k.exe"), once);
}

TEST_F(DittyFixTest, TablesThatMatchLeaveTheProgramUntouched) {
  WriteFileBytes("nhl2k.exe", Program({5}, {9}));
  WriteArchives({2964, 5}, {848, 9});
  fs::permissions("nhl2k.exe", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(output, "scanning 'nhl2k.exe'...\nfixing " + kDitties +
                        ": start offset 000003EC\nno changes needed\nfixing " + kHorns +
                        ": start offset 0007A124\nno changes needed\n");
  // Never opened for writing: still read-only.
  EXPECT_EQ(fs::status("nhl2k.exe").permissions() & fs::perms::owner_write, fs::perms::none);
}

TEST_F(DittyFixTest, ReadOnlyProgramIsMadeWritableAndPatched) {
  WriteFileBytes("nhl2k.exe", Program({}, {}));
  WriteArchives({2964}, {1});
  fs::permissions("nhl2k.exe", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(output, EndsWith("1/1 offsets fixed..\n'nhl2k.exe': removed read-only flag\n'nhl2k.exe' patched\n"));
  EXPECT_EQ(TableValue(ReadFileBytes("nhl2k.exe"), kHornsAt, 0), 1u);
}

TEST_F(DittyFixTest, MissingArchiveSkipsOnlyThatTable) {
  WriteFileBytes("nhl2k.exe", Program({}, {}));
  WriteFileBytes(fs::path("required") / "horns.viv", Archive({4}));
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(output, HasSubstr("fixing " + kDitties + ": start offset 000003EC\ncouldn't open '" + kDitties +
                                "'\nfixing " + kHorns));
  EXPECT_EQ(TableValue(ReadFileBytes("nhl2k.exe"), kHornsAt, 0), 4u);
}

TEST_F(DittyFixTest, NoArchiveAtAllWritesNothingAndFails) {
  const Bytes original = Program({}, {});
  WriteFileBytes("nhl2k.exe", original);
  EXPECT_EQ(Run(), 1);
  EXPECT_THAT(output, EndsWith("couldn't open '" + kHorns + "'\n"));
  EXPECT_EQ(ReadFileBytes("nhl2k.exe"), original);
}

TEST_F(DittyFixTest, FailedSaveLeavesTheProgramAsItWas) {
  const Bytes original = Program({}, {});
  WriteFileBytes("nhl2k.exe", original);
  WriteArchives({1}, {2});
  // A folder where the new image would be written first blocks the save.
  fs::create_directory("nhl2k.exe.tmp~");
  EXPECT_EQ(Run(), 1);
  EXPECT_THAT(output, HasSubstr("couldn't open 'nhl2k.exe' for writing\n\n TONEPAK "));
  EXPECT_EQ(ReadFileBytes("nhl2k.exe"), original);
}

// --- The table search and update -----------------------------------------

class PatchOffsetTableTest : public DittyFixTest {
 protected:
  // An image of size bytes with the ditties signature at signatureAt.
  static Bytes Image(size_t size, size_t signatureAt) {
    Bytes image(size, 0x55);
    std::copy(kDittiesSignature.begin(), kDittiesSignature.end(), image.begin() + static_cast<long>(signatureAt));
    return image;
  }
  int Patch(Bytes& image) {
    ConversionContext ctx;
    int result =
        PatchOffsetTable(ctx, image.data(), static_cast<long>(image.size()), "a.viv", kDittiesSignature.data(), 8);
    output.clear();
    for (const std::string& message : ctx.messages) output += message;
    return result;
  }
};

TEST_F(PatchOffsetTableTest, MatchNeedsMoreThan200BytesBehindIt) {
  WriteFileBytes("a.viv", Archive({2964, 77}));
  Bytes image = Image(1000, 1000 - 201);
  EXPECT_EQ(Patch(image), 1);
  EXPECT_EQ(output, "fixing a.viv: start offset 00000323\n1/2 offsets fixed..\n");
  EXPECT_EQ(TableValue(image, 1000 - 201, 1), 77u);

  for (size_t behind : {200, 150, 101, 100, 8}) {
    Bytes late = Image(1000, 1000 - behind);
    const Bytes before = late;
    EXPECT_EQ(Patch(late), -1) << behind;
    EXPECT_EQ(output, "a.viv: no match found\n");
    EXPECT_EQ(late, before);
  }
}

TEST_F(PatchOffsetTableTest, FirstMatchIsTheTable) {
  WriteFileBytes("a.viv", Archive({2964, 1}));
  Bytes image = Image(2000, 900);
  std::copy(kDittiesSignature.begin(), kDittiesSignature.end(), image.begin() + 300);
  EXPECT_EQ(Patch(image), 1);
  EXPECT_EQ(TableValue(image, 300, 1), 1u);
  EXPECT_EQ(TableValue(image, 900, 1), 0x55555555u);
}

TEST_F(PatchOffsetTableTest, TableStopsAtTheEndOfTheImage) {
  std::vector<uint32_t> offsets(100);
  for (size_t i = 0; i < offsets.size(); ++i) offsets[i] = 2964 + static_cast<uint32_t>(i);
  WriteFileBytes("a.viv", Archive(offsets));
  // 300 bytes, table at 4: room for 74 values.
  Bytes image = Image(300, 0);
  EXPECT_EQ(Patch(image), 1);
  EXPECT_EQ(output, "fixing a.viv: start offset 00000004\n73/100 offsets fixed..\n");
  EXPECT_EQ(TableValue(image, 0, 73), 2964u + 73);
}

TEST_F(PatchOffsetTableTest, ShortDirectoryStopsAtItsEnd) {
  WriteFileBytes("a.viv", Archive({2964, 10, 20}, 50));
  Bytes image = Image(1000, 0);
  EXPECT_EQ(Patch(image), 1);
  EXPECT_EQ(output, "fixing a.viv: start offset 00000004\n2/50 offsets fixed..\n");
  EXPECT_EQ(TableValue(image, 0, 3), 0x55555555u);

  // A name without its zero byte ends the directory too.
  Bytes cut = Archive({2964, 30});
  cut.pop_back();
  WriteFileBytes("a.viv", cut);
  EXPECT_EQ(Patch(image), 1);
  EXPECT_EQ(TableValue(image, 0, 1), 30u);
}

TEST_F(PatchOffsetTableTest, HugeCountAndEmptyArchives) {
  WriteFileBytes("a.viv", Archive({2964}, 0xFFFFFFFF));
  Bytes image = Image(1000, 0);
  EXPECT_EQ(Patch(image), 0);
  EXPECT_EQ(output, "fixing a.viv: start offset 00000004\nno changes needed\n");

  WriteFileBytes("a.viv", Bytes{'B', 'I'});
  EXPECT_EQ(Patch(image), 0);
  EXPECT_THAT(output, EndsWith("no changes needed\n"));
}

TEST_F(PatchOffsetTableTest, ImageTooSmallForTheSearch) {
  Bytes tiny = kDittiesSignature;
  EXPECT_EQ(Patch(tiny), -1);
  ConversionContext ctx;
  EXPECT_EQ(PatchOffsetTable(ctx, nullptr, 0, "a.viv", kDittiesSignature.data(), 8), -1);
}

}  // namespace
