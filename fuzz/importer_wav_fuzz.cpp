// libFuzzer target: any bytes as the importer's input WAV file (chunk walk,
// format checks, sample conversion).
#include <cmath>

#include "fuzz_support.h"
#include "importer/core/byte_source.h"
#include "importer/core/wav_reader.h"

namespace {

// Counts what the reader hands on and checks every sample's range.
class CheckingSink : public tunegrab::AudioSink {
 public:
  explicit CheckingSink(int channels) : channels_(channels) {}
  void Push(const float* interleaved, size_t frames) override {
    for (size_t i = 0; i < frames * static_cast<size_t>(channels_); ++i)
      Require(std::isfinite(interleaved[i]) && std::fabs(interleaved[i]) <= 1.0f, "samples finite, within -1..1");
    frames_ += frames;
  }
  uint64_t frames_ = 0;

 private:
  int channels_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FuzzBytes bytes(data, data + size);
  tunegrab::MemorySource source(bytes);
  tunegrab::WavLayout layout;
  if (!tunegrab::ReadWavLayout(source, layout).ok) return 0;
  Require(layout.channels == 1 || layout.channels == 2, "one or two channels");
  Require(layout.dataOffset + layout.dataBytes <= size, "audio inside the file");
  CheckingSink sink(layout.channels);
  if (tunegrab::ReadWavSamples(source, layout, sink).ok)
    Require(sink.frames_ == layout.dataBytes / static_cast<uint64_t>(layout.blockAlign), "every frame once");
  return 0;
}
