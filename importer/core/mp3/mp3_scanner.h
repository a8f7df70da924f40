// MPEG audio Layer III frame scanning: tags and junk passed over, every
// frame header checked, the Xing/Info/VBRI frame and the LAME tag read for
// the encoder's delay and padding. Decoding itself is the platform's.
#pragma once

#include <cstdint>
#include <vector>

#include "importer/core/audio.h"

namespace tunegrab {

enum class MpegVersion { Mpeg1, Mpeg2, Mpeg25 };

struct Mp3FrameHeader {
  MpegVersion version = MpegVersion::Mpeg1;
  int bitrate = 0;  // bits per second
  int rate = 0;
  int channels = 0;
  int bytes = 0;    // whole frame, header included
  int samples = 0;  // per channel: 1152 or 576
  bool crc = false;
};

// Reads a four-byte header; false unless it is a valid Layer III header
// (free-format and reserved values refused).
bool ParseMp3FrameHeader(const uint8_t* p, Mp3FrameHeader& header);

struct Mp3Frame {
  uint32_t offset = 0;
  uint32_t bytes = 0;
};

struct Mp3Scan {
  Mp3FrameHeader first;           // header of the first audio frame
  std::vector<Mp3Frame> frames;   // the audio frames, in order
  bool hasInfoFrame = false;      // a Xing, Info or VBRI frame was passed over
  bool hasLameTag = false;
  int encoderDelay = 0;           // samples, from the LAME tag
  int encoderPadding = 0;
};

// The largest MP3 file read whole into memory.
constexpr uint64_t kMaxMp3Bytes = 256u << 20;

Outcome ScanMp3(const std::vector<uint8_t>& bytes, Mp3Scan& scan);

// Number of samples per channel the encoded audio holds: every frame's
// samples less the encoder's delay and padding.
int64_t Mp3EncodedSamples(const Mp3Scan& scan);

}  // namespace tunegrab
