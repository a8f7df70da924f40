// libFuzzer target: any bytes as an Ogg Vorbis input through stb_vorbis, the
// importer's decoder where the platform has none: it ends, announces mono
// or stereo before any sample, and every sample is a number within -1..1.
#include "fuzz_support.h"
#include "importer/core/vorbis_decoder.h"

namespace {

class CountingReceiver : public tunegrab::MediaReceiver {
 public:
  bool Begin(const tunegrab::MediaFormat& format) override {
    Require(format.channels >= 1 && format.channels <= 2, "mono or stereo only");
    channels = format.channels;
    return true;
  }
  bool Push(int64_t, const float* interleaved, size_t frames) override {
    Require(channels > 0, "samples only after Begin");
    for (size_t i = 0; i < frames * static_cast<size_t>(channels); ++i)
      Require(interleaved[i] >= -1.0f && interleaved[i] <= 1.0f, "samples within -1..1");
    total += frames;
    return total < (1u << 24);  // a bounded song
  }
  int channels = 0;
  size_t total = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FuzzBytes bytes(data, data + size);
  CountingReceiver receiver;
  tunegrab::VorbisDecoder decoder;
  const tunegrab::MediaStatus status = decoder.DecodeBytes(bytes, receiver);
  Require(status.ok || receiver.total == 0, "a refused file gives no samples");
  return 0;
}
