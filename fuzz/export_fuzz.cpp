// libFuzzer target: any bytes as a music file through the whole export
// (streams, banks, archives), in a scratch folder, console output dropped;
// the export into memory of the same file gives the samples of the first
// WAV file the export wrote.
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

  const tonepak::Result memory = tonepak::DecodeStreamToMemory({"input.bin", mode});
  if (memory.ok()) {
    const FuzzBytes wav = ReadScratchFile("000.wav");
    const std::vector<int16_t>& samples = memory.decoded.samples;
    bool same = wav.size() >= 44 && (wav.size() - 44) / 2 == samples.size();
    for (size_t i = 0; same && i < samples.size(); ++i)
      same = static_cast<int16_t>(wav[44 + 2 * i] | wav[45 + 2 * i] << 8) == samples[i];
    Require(same, "the export into memory gives the first WAV file's samples");
  }
  return 0;
}
