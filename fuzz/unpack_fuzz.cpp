// libFuzzer target: a sound pack file and its index (two parts of the input)
// through "-unpack".
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScratchRun run;
  std::vector<FuzzBytes> parts = SplitInput(data, size, 2);
  WriteScratchFile("sounds.idx", parts[0]);
  WriteScratchFile("sounds.pak", parts[1]);
  WriteScratchFile("out/.keep", {});
  int status = StatusOf(tonepak::Unpack({"sounds.pak", "sounds.idx", "out/"}));
  Require(status == 0 || status == 1, "exit status 0 or 1");
  // Entries never hold more than the pack: offsets only grow.
  Require(ScratchBytes() <= 2 * (parts[0].size() + parts[1].size()) + 64, "entries bounded by the pack");
  return 0;
}
