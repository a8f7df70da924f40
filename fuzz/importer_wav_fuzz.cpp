// libFuzzer target: any bytes as the importer's input WAV file (chunk walk,
// format checks, sample conversion).
#include "checking_sink.h"
#include "fuzz_support.h"
#include "importer/core/byte_source.h"
#include "importer/core/wav/wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FuzzBytes bytes(data, data + size);
  tunegrab::MemorySource source(bytes);
  tunegrab::WavLayout layout;
  if (!tunegrab::ReadWavLayout(source, layout).ok) return 0;
  Require(layout.channels == 1 || layout.channels == 2, "one or two channels");
  Require(layout.dataOffset + layout.dataBytes <= size, "audio inside the file");
  CheckingSink sink(layout.channels, 0);
  if (tunegrab::ReadWavSamples(source, layout, sink).ok)
    Require(sink.frames_ == layout.dataBytes / static_cast<uint64_t>(layout.blockAlign), "every frame once");
  return 0;
}
