// libFuzzer target: any bytes as a music file through the whole export
// (streams, banks, archives), in a scratch folder, console output dropped.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScratchRun run;
  WriteScratchFile("input.bin", FuzzBytes(data, data + size));
  // The first byte picks a forced mode (0: none), the whole input is the file.
  const int mode = size ? data[0] % 8 : 0;
  tonepak::ExportRequest request;
  request.musicFile = "input.bin";
  request.forcedMode = mode;
  int status = StatusOf(tonepak::Export(request));
  Require(status == 0 || status == 1, "exit status 0 or 1");
  Require(ScratchBytes() <= OutputBudget(size) + size, "output bounded by the input");
  return 0;
}
