// Reading an input through the platform's media decoder: the decoded
// audio trimmed to the file's own length (decoder delay and padding off),
// downmixed to stereo when it has more channels, resampled to the song's
// rate and channels.
#pragma once

#include <string>

#include "importer/core/audio.h"
#include "importer/core/media_decoder.h"

namespace tunegrab {

// Keeps the frames of the file's timeline from time 0 to its duration: a
// chunk stamped before 0 (decoder priming) loses its early frames, the
// frames past the duration (padding) are dropped, and an end that falls
// short of the duration by at most kMaxEndFill frames' time is filled with
// silence (a decoder that leaves off its last partial packet).
class GaplessWindow {
 public:
  GaplessWindow(int rate, int64_t duration100ns);
  // The part [skip, skip + keep) of a chunk of frames stamped at time.
  void Take(int64_t time, size_t frames, size_t& skip, size_t& keep);
  // Silent frames to add at the end.
  int64_t EndFill() const;
  int64_t Position() const { return position_; }

  static constexpr double kMaxEndFillSeconds = 0.1;

 private:
  int rate_;
  int64_t end_;        // frames, -1 when the duration is unknown
  int64_t position_ = 0;
  bool started_ = false;
};

// How many frames of the first chunk to keep when the second is stamped
// earlier than the first one's end: the second one wins (a decoder's
// leftover of its priming comes stamped where the music begins). All of
// them when the chunks do not overlap or carry no stamps (both at 0).
size_t FirstChunkFrames(int64_t firstTime, size_t firstFrames, int64_t nextTime, int rate);

struct MediaRead {
  Outcome outcome;
  double decodeSeconds = 0, resampleSeconds = 0;
};

// head: the file's first bytes, to tell a media file from anything else
// when the decoder fails.
MediaRead ReadThroughMediaDecoder(MediaDecoder& decoder, const std::string& path, const std::vector<uint8_t>& head,
                                  Audio& song);

}  // namespace tunegrab
