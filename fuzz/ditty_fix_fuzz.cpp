// libFuzzer target: the NHL 2000 ditty fix with a hostile game program and
// archives (three parts of the input: program image, ditties.viv,
// horns.viv).
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScratchRun run;
  std::vector<FuzzBytes> parts = SplitInput(data, size, 3);
  // A small image is taken from the ".icd" name (the ".exe" must hold two
  // million bytes).
  WriteScratchFile("nhl2k.icd", parts[0]);
  if (!parts[1].empty()) WriteScratchFile("ditties/ditties.viv", parts[1]);
  if (!parts[2].empty()) WriteScratchFile("required/horns.viv", parts[2]);
  int status = StatusOf(tonepak::DittyFix({}));
  Require(status == 0 || status == 1, "exit status 0 or 1");
  // The fix overwrites table values in place: the program keeps its size,
  // and no temporary is left beside it.
  Require(ReadScratchFile("nhl2k.icd").size() == parts[0].size(), "program keeps its size");
  Require(ScratchFilesEndingIn("~").empty(), "no temporary left");
  return 0;
}
