// libFuzzer target: "-import" of a good WAV file over a hostile original.
// The first byte picks the bank sample number argument (none, 1 to 4, or
// the original itself as the destination); the rest is the original.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  ScratchRun run;
  const FuzzBytes original(data + 1, data + size);
  const FuzzBytes wave = GoodWave();
  WriteScratchFile("song.wav", wave);
  WriteScratchFile("original.asf", original);
  const bool inPlace = data[0] & 0x80;
  const int number = data[0] % 6;
  tonepak::ImportRequest request{"song.wav", inPlace ? "original.asf" : "new.asf", "original.asf", std::nullopt};
  if (number > 0) request.bankSample = number - 1;
  int status = StatusOf(tonepak::Import(request));
  Require(status == 0 || status == 1, "exit status 0 or 1");
  if (status != 0) Require(ReadScratchFile("original.asf") == original, "a failed import keeps the original");
  Require(ScratchFilesEndingIn("~").empty(), "no temporary left");
  Require(ScratchBytes() <= OutputBudget(size + wave.size()) + original.size(), "output bounded by the inputs");
  return 0;
}
