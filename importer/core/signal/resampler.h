// Sample-rate and channel conversion: a band-limited polyphase resampler
// with a Kaiser-windowed sinc. Flat within 0.1 dB up to 90% of the lower
// Nyquist frequency; at least 80 dB down from the lower Nyquist frequency
// on. Mono becomes stereo by duplication, stereo becomes mono by averaging.
#pragma once

#include <cstdint>
#include <vector>

#include "importer/core/audio.h"
#include "importer/core/signal/resampler_dot.h"

namespace tunegrab {

class Resampler : public AudioSink {
 public:
  // Converts inChannels at inRate to out's rate and channels (set there),
  // appending to out.samples.
  Resampler(int inRate, int inChannels, Audio& out);
  void Push(const float* interleaved, size_t frames) override;
  // Ends the input: the last output frames are computed.
  void Finish();
  // Makes room in out for what this many input frames give (a hint, held
  // to the longest song), so that the song is not regrown and copied as it
  // grows.
  void Expect(int64_t inputFrames);

  int TapsPerPhase() const { return taps_; }

 private:
  void Produce(bool final);
  void ComputeOutput(int64_t n, float* frame) const;
  const float* PhaseCoefficients(int64_t n, std::vector<float>& scratch) const;

  Audio& out_;
  int inChannels_;
  int workChannels_;  // channels the filter runs on: min(in, out)
  bool same_ = false;  // equal rates: no filtering
  int64_t up_ = 1, down_ = 1;  // output position n is at input n * down / up
  int half_ = 0;    // taps on each side of the centre
  int taps_ = 0;    // per phase, rounded up to a multiple of 4
  int phases_ = 0;  // table rows; fewer than up_ means interpolation
  std::vector<float> table_;  // (phases_ + 1) rows of taps_
  // Interpolated taps between two rows. A member, not thread_local: the
  // Windows runtime makes every thread_local access a call.
  mutable std::vector<float> scratch_;
  std::vector<std::vector<float>> input_;  // per channel; element 0 is input frame start_
  int64_t start_ = 0;
  int64_t inFrames_ = 0;   // input frames pushed so far
  int64_t next_ = 0;       // next output frame
};

// The whole conversion at once.
Audio ConvertAudio(const Audio& in, int outRate, int outChannels);

}  // namespace tunegrab
