// libFuzzer target: any bytes as a BNK bank, exported whole (every slot to
// its WAV file, under a forced mode or none) and searched slot by slot as
// the import does. The first byte picks the mode, the second a slot.
#include "converter/containers/bnk.h"
#include "converter/context/state.h"
#include "converter/support/fatal.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  ScratchRun run;
  const int mode = data[0] % 9;  // 0: none, 1 to 8 forced
  const int slot = static_cast<int8_t>(data[1]);
  const FuzzBytes bank(data + 2, data + size);
  WriteScratchFile("sounds.bnk", bank);

  tonepak::ExportRequest request;
  request.musicFile = "sounds.bnk";
  request.forcedMode = mode;
  int status = StatusOf(tonepak::Export(request));
  Require(status == 0 || status == 1, "exit status 0 or 1");
  Require(ScratchBytes() <= OutputBudget(size) + bank.size(), "output bounded by the bank");

  FILE* file = MemoryFile(bank);
  if (!file) std::abort();
  uint8_t header[kBankHeaderBytes];
  int32_t position = 0;
  int headerBytes = 0;
  try {
    int found = FindBankSample(file, header, slot, &position, &headerBytes);
    Require(found >= -1 && found <= 1, "slot answer is -1, 0 or 1");
    if (found == 1) Require(headerBytes >= 0 && headerBytes <= kBankHeaderBytes, "header bytes within the buffer");
  } catch (const FatalError&) {
  }
  std::fclose(file);
  return 0;
}
