// The sink the importer's reader targets hand their samples to: it counts
// the frames and checks every sample's range.
#pragma once

#include <cmath>
#include <cstdint>

#include "fuzz_support.h"
#include "importer/core/audio.h"

class CheckingSink : public tunegrab::AudioSink {
 public:
  // maxChunk: the most frames one handover may carry (0: any number).
  CheckingSink(int channels, size_t maxChunk) : channels_(channels), maxChunk_(maxChunk) {}
  void Push(const float* interleaved, size_t frames) override {
    Require(maxChunk_ == 0 || (frames > 0 && frames <= maxChunk_), "no empty or oversized chunk");
    for (size_t i = 0; i < frames * static_cast<size_t>(channels_); ++i)
      Require(std::isfinite(interleaved[i]) && std::fabs(interleaved[i]) <= 1.0f, "samples finite, within -1..1");
    frames_ += frames;
  }
  uint64_t frames_ = 0;

 private:
  int channels_;
  size_t maxChunk_;
};
