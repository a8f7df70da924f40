// Two conversions at once, each in its own context on its own thread, give
// the bytes they give one after the other: an import from memory into a
// split-stereo layout (whose encoder also uses its helper thread), and an
// import into a mono stream followed by an export of the result.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "converter/api/tonepak_api.h"
#include "converter/support/file_io.h"
#include "import_test_support.h"

using namespace import_test;

namespace {

struct Outputs {
  Bytes split;
  Bytes mono;
  Bytes exported;
  bool ok = false;
};

tonepak::MemoryImportRequest SplitImport() {
  PtList split;
  split.eaAdpcm2 = true;
  tonepak::MemoryImportRequest request;
  request.rate = 22050;
  request.channels = 2;
  request.samples = Music(60000, 2, 22050);
  request.original = SchlOriginal(split, {1484, 1484, 1484});
  return request;
}

tonepak::MemoryImportRequest MonoImport(const std::string& destination) {
  PtList mono;
  mono.channels = 1;
  tonepak::MemoryImportRequest request;
  request.rate = 44100;
  request.channels = 2;
  request.samples = Music(80000, 2, 44100);
  request.original = SchlOriginal(mono, {1590, 1590, 1590});
  request.destination = destination;
  return request;
}

void RunSplit(Outputs& out) {
  const tonepak::Result result = tonepak::ImportFromMemory(SplitImport());
  out.split = result.bytes;
  out.ok = result.ok();
}

// The mono song is written to a file and exported again into its folder.
void RunMonoAndExport(const std::string& folder, Outputs& out) {
  const std::string song = folder + "/song.str";
  const tonepak::Result imported = tonepak::ImportFromMemory(MonoImport(song));
  tonepak::ExportRequest request;
  request.musicFile = song;
  request.destinationDir = folder;
  const tonepak::Result exported = tonepak::Export(request);
  out.ok = imported.ok() && exported.ok() && exported.written == std::vector<std::string>{JoinPath(folder, "000.wav")};
  out.mono = ReadFileBytes(song);
  out.exported = ReadFileBytes(folder + "/000.wav");
}

}  // namespace

TEST(ConcurrentConversions, TwoThreadsGiveTheBytesOfOneAfterTheOther) {
  ScopedWorkDir dir;
  std::filesystem::create_directories("alone");
  std::filesystem::create_directories("together");
  Outputs aloneSplit, aloneMono;
  RunSplit(aloneSplit);
  RunMonoAndExport("alone", aloneMono);
  ASSERT_TRUE(aloneSplit.ok);
  ASSERT_TRUE(aloneMono.ok);
  ASSERT_GT(aloneSplit.split.size(), 10000u);
  ASSERT_GT(aloneMono.exported.size(), 44u);

  for (int round = 0; round < 3; ++round) {
    Outputs split, mono;
    std::thread first([&] { RunSplit(split); });
    std::thread second([&] { RunMonoAndExport("together", mono); });
    first.join();
    second.join();
    EXPECT_TRUE(split.ok && mono.ok);
    EXPECT_EQ(split.split, aloneSplit.split) << "round " << round;
    EXPECT_EQ(mono.mono, aloneMono.mono) << "round " << round;
    EXPECT_EQ(mono.exported, aloneMono.exported) << "round " << round;
  }
}
