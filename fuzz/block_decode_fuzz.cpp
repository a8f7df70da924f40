// libFuzzer target: the block walk and the payload decoding of a stream's
// data under every forced mode and channel layout. The first byte picks the
// mode (0: the codec of the stream's own header), the channels and the
// header kind; the rest is the data that follows the header.
#include "converter/containers/stream_decode.h"
#include "converter/context/context.h"
#include "converter/support/fatal.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  ScratchRun run;
  ConversionContext ctx;
  const uint8_t choice = data[0];
  const FuzzBytes stream(data + 1, data + size);
  StreamParams& p = ctx.params;
  p.channels = (choice & 0x10) ? 2 : 1;
  p.codecFlags = (choice & 0x20) ? EA_ADPCM2 : EA_ADPCM;
  p.eacsSeen = (choice & 0x40) != 0;
  const int forcedMode = (choice & 0x0F) % 9 - 1;  // -1 (none) to 7 (no codec)
  if (forcedMode >= 0) p.codecFlags = static_cast<uint16_t>(1u << forcedMode);

  FILE* input = MemoryFile(stream);
  FILE* wav = std::fopen("out.wav", "w+b");
  if (!input || !wav) std::abort();
  try {
    if (choice & 0x80) {
      DecodePayload(ctx, input, wav, static_cast<int32_t>(stream.size()));
    } else {
      DecodeBlocks(ctx, input, wav, forcedMode);
    }
  } catch (const FatalError&) {
  }
  std::fclose(wav);
  std::fclose(input);
  Require(ScratchBytes() <= OutputBudget(size), "output bounded by the input");
  return 0;
}
