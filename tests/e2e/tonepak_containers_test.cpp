// The built converter on banks, archives, sound packs and the NHL 2000
// program: what a user at a console sees, the exit status and the files.
#include <gtest/gtest.h>

#include <filesystem>

#include "converter/support/file_io.h"
#include "support/ea_streams.h"
#include "support/run_program.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace {

ProgramResult Tonepak(const std::vector<std::string>& arguments) { return RunProgram(TONEPAK_PROGRAM, arguments); }

std::string Sep() { return std::string(1, PathSeparator()); }

// Version 2 bank, one mono sample of two silent EA ADPCM frames.
Bytes OneSampleBank() {
  Bytes header;
  AppendText(header, std::string("PT\0\0", 4));
  header.push_back(0xFD);
  Append(header, PtField(0x82, 1, 1));
  Append(header, PtField(0x85, 30, 4));
  const uint32_t dataOffset = 16 + 21;  // behind the table entry and the header
  Append(header, PtField(0x88, dataOffset, 4));
  header.push_back(0xFF);
  Bytes bank;
  AppendText(bank, "BNKl");
  AppendU16(bank, 2);
  AppendU16(bank, 1);
  AppendU32(bank, 0);
  AppendU32(bank, 4);  // the header follows the table entry
  Append(bank, header);
  EXPECT_EQ(bank.size(), dataOffset);
  for (int frame = 0; frame < 2; ++frame) {
    bank.push_back(0x0C);
    bank.resize(bank.size() + 14, 0);
  }
  return bank;
}

TEST(TonepakContainersTest, ExportsABankSampleByItsSlotNumber) {
  ScopedWorkDir dir;
  WriteFileBytes("sfx.bnk", OneSampleBank());
  ProgramResult r = Tonepak({"sfx.bnk"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "BNK contains 1 samples\n1: BNK offset 16, data 37\n"
                      "Frequency 22050, BitsPerSample 16, Channels 1, Length 30, Mode EA_ADPCM\n"
                      "00000070 112\n");
  Bytes wav = ReadFileBytes("001.wav");
  ASSERT_EQ(wav.size(), 44u + 112u);
  EXPECT_EQ(U32At(wav, 40), 112u);
}

TEST(TonepakContainersTest, ExportsArchiveEntriesIntoTheDestination) {
  ScopedWorkDir dir;
  Bytes stream;
  AppendText(stream, std::string("PT\0\x02", 4));
  AppendU32(stream, 40);
  stream.resize(40 + 15, 0);
  stream[40] = 0x0C;
  Bytes archive;
  AppendText(archive, "BIGF");
  AppendU32(archive, 0);
  AppendU32BE(archive, 1);
  AppendU32BE(archive, 0);
  AppendU32BE(archive, 16 + 8 + 16);
  AppendU32BE(archive, static_cast<uint32_t>(stream.size()));
  AppendText(archive, "music\\crowd.asf");
  archive.push_back(0);
  Append(archive, stream);
  WriteFileBytes("game.big", archive);
  fs::create_directories(fs::path("out") / "music");

  ProgramResult r = Tonepak({"game.big", "out"});
  EXPECT_EQ(r.status, 0);
  const std::string name = "music" + Sep() + "crowd.wav";
  EXPECT_EQ(r.output, "scanning BIGF-pack file\n\nWriting " + name +
                          "\nFrequency 22050, BitsPerSample 16, Channels 1, Length 0, Mode EA_ADPCM\n");
  EXPECT_EQ(ReadFileBytes(fs::path("out") / "music" / "crowd.wav").size(), 44u + 56u);
}

TEST(TonepakContainersTest, UnpackThenPackGivesBackThePack) {
  ScopedWorkDir dir;
  Bytes pack;
  Bytes index;
  for (int i = 0; i < 3; ++i) {
    AppendU32(index, static_cast<uint32_t>(pack.size()));
    AppendText(pack, "SCHl");
    pack.resize(pack.size() + 10 + 7 * static_cast<size_t>(i), static_cast<uint8_t>(i));
  }
  WriteFileBytes("s.pak", pack);
  WriteFileBytes("s.idx", index);
  fs::create_directory("x");

  ProgramResult unpack = Tonepak({"-UNPACK", "s.pak", "s.idx", "x" + Sep()});
  EXPECT_EQ(unpack.status, 0);
  EXPECT_EQ(unpack.output, "0. x" + Sep() + "000.asf, 14 bytes\n1. x" + Sep() + "001.asf, 21 bytes\n2. x" + Sep() +
                               "002.asf, 28 bytes\noperation successfull\n");

  ProgramResult repack = Tonepak({"-pack", "x" + Sep(), "new.pak", "new.idx"});
  EXPECT_EQ(repack.status, 0);
  EXPECT_NE(repack.output.find("new sound packfile 'new.pak' created, size 63 bytes, 3 entries\n"), std::string::npos);
  EXPECT_EQ(ReadFileBytes("new.pak"), pack);
  EXPECT_EQ(ReadFileBytes("new.idx"), index);
}

TEST(TonepakContainersTest, PackFailuresExitWithStatusOne) {
  ScopedWorkDir dir;
  ProgramResult missing = Tonepak({"-pack", "none", "new.pak", "new.idx"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.output, "couldn't found 000.asf, directory 'none'\n\n");

  ProgramResult noIndex = Tonepak({"-pack", "none", "new.pak"});
  EXPECT_EQ(noIndex.status, 1);
  EXPECT_NE(noIndex.output.find(" Usage:\n"), std::string::npos);

  WriteFileBytes("s.pak", Bytes(8, 'S'));
  Bytes index;
  AppendU32(index, 0);
  AppendU32(index, 6);
  AppendU32(index, 2);
  WriteFileBytes("s.idx", index);
  ProgramResult corrupt = Tonepak({"-unpack", "s.pak", "s.idx"});
  EXPECT_EQ(corrupt.status, 1);
  EXPECT_EQ(corrupt.output, "WARNING: s.pak or index 's.idx' is corrupted\n0. 000.asf, 6 bytes\n"
                            "index 's.idx' is corrupted\n");
}

TEST(TonepakContainersTest, DittyFixPatchesTheGameProgramInPlace) {
  ScopedWorkDir dir;
  Bytes program(2000000, 0x90);
  const Bytes signature = BytesOf({0xc1, 0xc0, 0x40, 0x3b, 0x94, 0x0b, 0x00, 0x00});
  std::copy(signature.begin(), signature.end(), program.begin() + 4096);
  WriteFileBytes("nhl2k.exe", program);
  Bytes archive;
  AppendText(archive, "BIGF");
  AppendU32(archive, 0);
  AppendU32BE(archive, 2);
  AppendU32BE(archive, 0);
  for (uint32_t offset : {2964u, 123456u}) {
    AppendU32BE(archive, offset);
    AppendU32BE(archive, 1);
    AppendText(archive, "d.asf");
    archive.push_back(0);
  }
  WriteFileBytes(fs::path("ditties") / "ditties.viv", archive);

  ProgramResult r = Tonepak({"-NHL2KDITTYFIX"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "scanning 'nhl2k.exe'...\n"
                      "fixing ditties" + Sep() + "ditties.viv: start offset 00001004\n"
                      "1/2 offsets fixed..\n"
                      "required" + Sep() + "horns.viv: no match found\n"
                      "'nhl2k.exe' patched\n");
  Bytes patched = ReadFileBytes("nhl2k.exe");
  ASSERT_EQ(patched.size(), program.size());
  EXPECT_EQ(U32At(patched, 4096 + 8), 123456u);

  ProgramResult again = Tonepak({"-nhl2kdittyfix"});
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(ReadFileBytes("nhl2k.exe"), patched);
}

}  // namespace
