// libFuzzer target: any bytes as the importer's input FLAC file (metadata
// walk, frame headers, subframes, residuals, passing over damage).
#include "checking_sink.h"
#include "fuzz_support.h"
#include "importer/core/byte_source.h"
#include "importer/core/flac/flac_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FuzzBytes bytes(data, data + size);
  tunegrab::MemorySource source(bytes);
  tunegrab::FlacLayout layout;
  if (!tunegrab::ReadFlacLayout(source, layout).ok) return 0;
  const tunegrab::FlacStreamInfo& info = layout.info;
  Require(info.channels >= 1 && info.channels <= 8, "one to eight channels");
  Require(info.bits >= 4 && info.bits <= 32, "4 to 32 bits");
  Require(info.rate >= tunegrab::kMinRate && info.rate <= tunegrab::kMaxRate, "a rate the importer takes");
  Require(layout.audioOffset < size, "audio inside the file");
  CheckingSink sink(info.channels, 65535);
  if (tunegrab::ReadFlacSamples(source, layout, sink).ok) {
    Require(sink.frames_ > 0, "some audio when it succeeds");
    Require(info.totalSamples == 0 || sink.frames_ <= info.totalSamples, "no more than the stream's length");
    Require(sink.frames_ <= static_cast<uint64_t>(tunegrab::kMaxSongSeconds) * info.rate, "at most 30 minutes");
  }
  return 0;
}
