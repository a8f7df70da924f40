// libFuzzer target: "-import" of a hostile WAV file into a good original of
// each kind (stream, bare header, bank). The first byte picks the kind and
// whether the original is its own destination; the rest is the WAV.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  ScratchRun run;
  const int kind = data[0] % 3;
  const bool inPlace = data[0] & 0x80;
  const FuzzBytes wave(data + 1, data + size);
  const FuzzBytes original = GoodOriginal(kind);
  WriteScratchFile("song.wav", wave);
  WriteScratchFile("original.asf", original);
  tonepak::ImportRequest request{"song.wav", inPlace ? "original.asf" : "new.asf", "original.asf", std::nullopt};
  if (kind == 2) request.bankSample = 1;
  int status = StatusOf(tonepak::Import(request));
  Require(status == 0 || status == 1, "exit status 0 or 1");
  if (status != 0) Require(ReadScratchFile("original.asf") == original, "a failed import keeps the original");
  Require(ScratchFilesEndingIn("~").empty(), "no temporary left");
  Require(ScratchBytes() <= OutputBudget(size) + 2 * original.size(), "output bounded by the inputs");
  return 0;
}
