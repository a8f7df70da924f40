// The import from memory against the import of the same samples through a
// WAV file: the same bytes for every stream kind, coding and rate or channel
// change, the layout record read from an original equal to the original
// itself, and the result in memory equal to the file.
#include <gtest/gtest.h>

#include "converter/api/tonepak_api.h"
#include "import_test_support.h"

using namespace import_test;

namespace {

struct Case {
  const char* name;
  PtList list;
  bool bare;
  int waveChannels;
  int waveRate;
};

Bytes FileImport(const Bytes& wav, const Bytes& original, std::string* messages) {
  WriteFileBytes("in.wav", wav);
  WriteFileBytes("orig.asf", original);
  const tonepak::Result result = tonepak::Import({"in.wav", "out.asf", "orig.asf", std::nullopt});
  EXPECT_TRUE(result.ok()) << result.Text();
  *messages = result.Text();
  return ReadFileBytes("out.asf");
}

}  // namespace

TEST(ImportFromMemory, GivesTheBytesOfTheFileImport) {
  ScopedWorkDir dir;
  PtList stereo;
  PtList split;
  split.eaAdpcm2 = true;
  PtList mono;
  mono.channels = 1;
  mono.frequency = 44100;
  const Case cases[] = {
      {"stereo", stereo, false, 2, 22050},       {"split stereo", split, false, 2, 22050},
      {"mono from stereo 22 kHz", mono, false, 2, 22050}, {"bare PT", stereo, true, 1, 44100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Pcm samples = Music(9000, c.waveChannels, c.waveRate);
    const Bytes original = c.bare ? BarePtOriginal(c.list) : SchlOriginal(c.list, {1484, 1484, 1484, 700});
    std::string fileMessages;
    const Bytes expected = FileImport(WaveFile(c.waveChannels, c.waveRate, samples), original, &fileMessages);

    tonepak::MemoryImportRequest request;
    request.rate = c.waveRate;
    request.channels = c.waveChannels;
    request.samples = samples;
    request.original = original;
    const tonepak::Result fromBytes = tonepak::ImportFromMemory(request);
    ASSERT_TRUE(fromBytes.ok()) << fromBytes.Text();
    EXPECT_EQ(fromBytes.bytes, expected);
    EXPECT_TRUE(fromBytes.written.empty());

    // The layout record read from the original stands in for it, and a
    // destination gets the same bytes as a file.
    tonepak::StreamLayout layout;
    ASSERT_TRUE(tonepak::ReadStreamLayout(original, layout));
    EXPECT_EQ(layout.schl, !c.bare);
    EXPECT_EQ(layout.channels, c.list.channels);
    EXPECT_EQ(layout.split, c.list.eaAdpcm2);
    request.original.clear();
    request.layout = layout;
    request.destination = "memory.asf";
    const tonepak::Result toFile = tonepak::ImportFromMemory(request);
    ASSERT_TRUE(toFile.ok()) << toFile.Text();
    EXPECT_EQ(ReadFileBytes("memory.asf"), expected);
    EXPECT_EQ(toFile.written, std::vector<std::string>{"memory.asf"});
    EXPECT_EQ(toFile.messages.front(), fileMessages.substr(0, toFile.messages.front().size()));
  }
}

TEST(ImportFromMemory, RefusesWhatTheFileImportRefuses) {
  ScopedWorkDir dir;
  tonepak::MemoryImportRequest request;
  request.rate = 22050;
  request.channels = 1;
  request.samples = Music(1000, 1, 22050);
  request.original = Bytes{'B', 'N', 'K', 'l', 2, 0, 0, 0};
  tonepak::Result bank = tonepak::ImportFromMemory(request);
  EXPECT_EQ(bank.status, tonepak::Status::kFailure);
  EXPECT_EQ(bank.Text(), "unknown/unsupported original sound file\n");

  PtList five;
  five.channels = 5;
  request.original = SchlOriginal(five, {1484});
  request.destination = "never.asf";
  tonepak::Result channels = tonepak::ImportFromMemory(request);
  EXPECT_FALSE(channels.ok());
  EXPECT_FALSE(FileExistsAt("never.asf"));
  tonepak::StreamLayout layout;
  EXPECT_FALSE(tonepak::ReadStreamLayout(Bytes{'R', 'I', 'F', 'F'}, layout));
}
