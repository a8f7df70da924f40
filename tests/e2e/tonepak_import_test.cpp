// The built converter's import mode as a separate process: its output and
// exit status, banks, and an outside check that ffmpeg, run as a black box,
// reads the streams it makes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/ea_streams.h"
#include "support/run_program.h"
#include "support/test_files.h"
#include "support/wav_reading.h"

namespace {

using Pcm = std::vector<int16_t>;

ProgramResult Tonepak(const std::vector<std::string>& arguments) { return RunProgram(TONEPAK_PROGRAM, arguments); }

Pcm Chords(int frames, int channels) {
  Pcm pcm;
  const double pi = 3.14159265358979323846;
  for (int i = 0; i < frames; ++i) {
    const double t = i / 22050.0;
    pcm.push_back(static_cast<int16_t>(8000 * std::sin(2 * pi * 220 * t) + 3000 * std::sin(2 * pi * 1330 * t)));
    if (channels == 2)
      pcm.push_back(static_cast<int16_t>(6000 * std::sin(2 * pi * 147 * t) + 4000 * std::cos(2 * pi * 587 * t)));
  }
  return pcm;
}

Bytes WaveFile(int channels, const Pcm& pcm) {
  Bytes out;
  AppendText(out, "RIFF");
  AppendU32(out, static_cast<uint32_t>(36 + 2 * pcm.size()));
  AppendText(out, "WAVEfmt ");
  AppendU32(out, 16);
  AppendU16(out, 1);
  AppendU16(out, static_cast<uint32_t>(channels));
  AppendU32(out, 22050);
  AppendU32(out, static_cast<uint32_t>(22050 * 2 * channels));
  AppendU16(out, static_cast<uint32_t>(2 * channels));
  AppendU16(out, 16);
  AppendText(out, "data");
  AppendU32(out, static_cast<uint32_t>(2 * pcm.size()));
  for (int16_t v : pcm) AppendU16(out, static_cast<uint16_t>(v));
  return out;
}

// A stereo original of 1,484-sample blocks (5,936 PCM bytes each), marked
// the way ffmpeg recognises its coding.
Bytes StereoOriginal(bool split) {
  SchlHeaderOptions options;
  options.channels = 2;
  options.length = 4 * 1484;
  options.eaAdpcm2 = split;
  options.compressionField = true;
  Bytes file = SchlHeader(options);
  Append(file, SccBlock(4));
  for (int b = 0; b < 4; ++b) {
    if (split) {
      Append(file, ScdEa2Block(Bytes(795, 0), Bytes(795, 0), 1484));
    } else {
      Append(file, ScdEaBlock(1484, Bytes(1590, 0)));
    }
  }
  Append(file, SceBlock());
  return file;
}

}  // namespace

TEST(TonepakImportProgram, ImportsAStreamAndExportsItAgain) {
  ScopedWorkDir dir;
  const Pcm pcm = Chords(10000, 2);
  WriteFileBytes("in.wav", WaveFile(2, pcm));
  WriteFileBytes("orig.asf", StereoOriginal(false));
  ProgramResult r = Tonepak({"-import", "in.wav", "new.asf", "orig.asf"});
  ASSERT_EQ(r.status, 0) << r.output;
  // 40,000 bytes in blocks of 5,936: seven blocks, each overwriting the line.
  EXPECT_EQ(r.output.rfind("Original file: channels=2, frequency=22050\nencoding.... \nread:     5936, write:     1590, to go    34064 ", 0), 0u)
      << r.output;
  EXPECT_NE(r.output.find("read:    40000, write:    11130, to go        0 00:00 (89.0%)           \r\nencoding successful\n"),
            std::string::npos)
      << r.output;
  ProgramResult e = Tonepak({"new.asf"});
  ASSERT_EQ(e.status, 0) << e.output;
  EXPECT_NE(e.output.find("Length 9952, Mode EA_ADPCM"), std::string::npos) << e.output;
  ParsedWav wav = ParseWav(ReadFileBytes("new.wav"));
  EXPECT_EQ(wav.samples.size(), 7u * 1484u * 2u);
  EXPECT_GT(SnrDb(pcm, wav.samples), 30.0);
}

TEST(TonepakImportProgram, ReplacesABankSampleInPlace) {
  ScopedWorkDir dir;
  // One mono sample of 22050 Hz at offset 64, a second behind it.
  Bytes bank;
  AppendText(bank, "BNKl");
  AppendU16(bank, 2);
  AppendU16(bank, 2);
  AppendU32(bank, 0);
  AppendU32(bank, 8);   // slot 0's header at 12 + 8 = 20
  AppendU32(bank, 21);  // slot 1's header at 16 + 21 = 37, behind slot 0's 17 bytes
  for (uint32_t offset : {64u, 164u}) {
    AppendText(bank, std::string("PT\0\0", 4));
    Append(bank, BytesOf({0xFD}));
    Append(bank, PtField(0x82, 1, 1));
    Append(bank, PtField(0x88, offset, 4));
    Append(bank, BytesOf({0x8A, 0x00, 0xFF}));
  }
  bank.resize(64, 0);
  bank.insert(bank.end(), 100, 0x31);
  bank.insert(bank.end(), 40, 0x32);
  WriteFileBytes("sounds.bnk", bank);
  WriteFileBytes("in.wav", WaveFile(1, Chords(560, 1)));
  ProgramResult r = Tonepak({"-import", "in.wav", "sounds.bnk", "sounds.bnk", "1"});
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output, "Original file: channels=1, frequency=22050\nencoding... ok\nencoding successful\n");
  Bytes rebuilt = ReadFileBytes("sounds.bnk");
  ASSERT_EQ(rebuilt.size(), 64u + 300u + 40u);  // 20 frames of 15 bytes, then the second sample
  // Slot 1's data offset (behind "PT\0\0", FDh, 82h 01h 01h, 88h 04h) moved from 164 to 364.
  const size_t offsetAt = 37 + 4 + 1 + 3 + 2;
  EXPECT_EQ(Bytes(rebuilt.begin() + offsetAt, rebuilt.begin() + offsetAt + 4), BytesOf({0x00, 0x00, 0x01, 0x6C}));
  EXPECT_EQ(Bytes(rebuilt.begin() + 20, rebuilt.begin() + 37), Bytes(bank.begin() + 20, bank.begin() + 37));
  EXPECT_EQ(rebuilt.back(), 0x32);
}

TEST(TonepakImportProgram, FailuresExitWithStatusOneAndKeepTheDestination) {
  ScopedWorkDir dir;
  WriteFileBytes("in.wav", WaveFile(2, Chords(100, 2)));
  WriteFileBytes("junk.asf", Bytes{'J', 'U', 'N', 'K'});
  WriteFileBytes("keep.asf", Bytes{1, 2, 3});
  ProgramResult r = Tonepak({"-import", "in.wav", "keep.asf", "junk.asf"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, "unknown/unsupported original sound file\n");
  EXPECT_EQ(ReadFileBytes("keep.asf"), (Bytes{1, 2, 3}));
  ProgramResult few = Tonepak({"-import", "in.wav", "keep.asf"});
  EXPECT_NE(few.output.find("  import: TONEPAK -import <wave file> <destination file> <original sound> [bnk]\n"),
            std::string::npos);
}

class ImportFfmpegCheck : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override { RequireFfmpeg(); }
};

TEST_P(ImportFfmpegCheck, FfmpegDecodesTheImportedStreamToTheWaveThatWentIn) {
  const bool split = GetParam();
  ScopedWorkDir dir;
  const Pcm pcm = Chords(2 * 22050, 2);  // two seconds
  WriteFileBytes("in.wav", WaveFile(2, pcm));
  Bytes original = StereoOriginal(split);
  WriteFileBytes("orig.asf", original);
  ProgramResult r = Tonepak({"-import", "in.wav", "new.asf", "orig.asf"});
  ASSERT_EQ(r.status, 0) << r.output;
  ProgramResult f = RunProgram("ffmpeg", {"-v", "error", "-y", "-i", "new.asf", "-f", "wav", "ffmpeg.wav"});
  ASSERT_EQ(f.status, 0) << f.output;
  ParsedWav theirs = ParseWav(ReadFileBytes("ffmpeg.wav"));
  EXPECT_EQ(theirs.channels, 2);
  // The same length: the whole song, and no more than the last block's
  // silence behind it.
  EXPECT_GE(theirs.samples.size(), pcm.size());
  EXPECT_LT(theirs.samples.size(), pcm.size() + 2u * 1484u);
  const double snr = SnrDb(pcm, theirs.samples);
  std::printf("SNR of ffmpeg's decoding against the imported WAV (%s): %.1f dB\n", split ? "EA_ADPCM2" : "EA ADPCM",
              snr);
  EXPECT_GT(snr, 30.0);
}

INSTANTIATE_TEST_SUITE_P(Codings, ImportFfmpegCheck, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Split" : "Interleaved"; });
