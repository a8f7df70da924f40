// The platform's decoder for every input that is neither a WAV or FLAC file
// nor an MP3 file the MPEG Layer-3 codec takes (Media Foundation on Windows). It
// gives PCM at the file's own rate and channels; the core trims, downmixes
// and resamples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tunegrab {

struct MediaFormat {
  int rate = 0;
  int channels = 0;
  uint32_t channelMask = 0;  // speaker bits, 0 when the file names none
  int64_t duration = 0;      // in 100 ns units, 0 when unknown
};

// What the decoder gives the core, on the decoder's thread.
class MediaReceiver {
 public:
  virtual ~MediaReceiver() = default;
  // Before any sample; false refuses the file (the decoder stops).
  virtual bool Begin(const MediaFormat& format) = 0;
  // A decoded chunk, frames of format.channels interleaved, -1..1, whose
  // first frame is at time (100 ns units, as the decoder stamps it).
  // False: nothing more is wanted.
  virtual bool Push(int64_t time, const float* interleaved, size_t frames) = 0;
};

struct MediaStatus {
  bool ok = true;
  bool missing = false;   // the platform has no such decoder at all
  bool reading = false;   // failed after the file was opened and its output chosen
  uint32_t code = 0;      // the platform's error code
};

class MediaDecoder {
 public:
  virtual ~MediaDecoder() = default;
  // Decodes the whole file into the receiver; returns after the last chunk.
  virtual MediaStatus Decode(const std::string& path, MediaReceiver& receiver) = 0;
};

}  // namespace tunegrab
