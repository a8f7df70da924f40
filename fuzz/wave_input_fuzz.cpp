// libFuzzer target: any bytes as the WAV file of an import.
#include "converter/containers/wav.h"
#include "converter/context/state.h"
#include "converter/support/fatal.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScratchRun run;
  const FuzzBytes bytes(data, data + size);
  FILE* wav = MemoryFile(bytes);
  if (!wav) std::abort();
  try {
    StreamParams params;
    ReadWaveInput(wav, params);
    // The reader leaves the file at the first sample byte, never past the end.
    Require(std::ftell(wav) <= static_cast<long>(size), "reader stays inside the file");
  } catch (const FatalError&) {
  }
  std::fclose(wav);
  return 0;
}
