// Wall-clock timing of the conversion's stages, for the figures the
// importer reports (StageTimes).
#pragma once

#include <chrono>
#include <cstddef>

#include "importer/core/audio.h"

namespace tunegrab {

using Clock = std::chrono::steady_clock;

inline double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Adds the time the inner sink takes to seconds, so that a stage is timed
// apart from the decoder that feeds it.
class TimedSink : public AudioSink {
 public:
  TimedSink(AudioSink& inner, double& seconds) : inner_(inner), seconds_(seconds) {}
  void Push(const float* interleaved, size_t frames) override {
    Clock::time_point start = Clock::now();
    inner_.Push(interleaved, frames);
    seconds_ += Since(start);
  }

 private:
  AudioSink& inner_;
  double& seconds_;
};

}  // namespace tunegrab
