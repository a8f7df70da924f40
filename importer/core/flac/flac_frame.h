// One FLAC audio frame: its header, its subframes (one per channel: a
// constant, verbatim samples, or a fixed or LPC predictor with a Rice-coded
// residual), the stereo decorrelation and both checksums. Works on bytes in
// memory and never reads outside them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tunegrab {

constexpr int kFlacMaxBlockSize = 65535;
constexpr int kFlacMaxChannels = 8;

// What the stream's STREAMINFO block says; frames must agree with it.
struct FlacStreamInfo {
  int minBlockSize = 0, maxBlockSize = 0;
  int rate = 0;
  int channels = 0;
  int bits = 0;               // 4..32
  uint64_t totalSamples = 0;  // per channel; 0 when unknown
};

struct FlacFrameHeader {
  bool variableBlockSize = false;
  uint64_t number = 0;  // the first sample's number, or the frame's number
  int blockSize = 0;
  int assignment = 0;   // 0-7 independent channels, 8 left/side, 9 side/right, 10 mid/side
  int channels = 0;
  size_t bytes = 0;     // the header's own length, with its CRC-8
};

// Reads a frame header at data. False when the bytes there are not one
// (no sync code, reserved values, a CRC-8 that does not match) or when it
// disagrees with the stream's rate, width or channels.
bool ParseFlacFrameHeader(const uint8_t* data, size_t size, const FlacStreamInfo& info, FlacFrameHeader& header);

class FlacFrameDecoder {
 public:
  explicit FlacFrameDecoder(const FlacStreamInfo& info);

  // Decodes the frame at data. Returns the frame's length in bytes, or 0
  // when it is damaged; examined then tells how far it was read.
  size_t Decode(const uint8_t* data, size_t size, FlacFrameHeader& header, size_t& examined);

  // Channel c of the last frame decoded: blockSize samples of the stream's
  // width.
  const int64_t* Channel(int c) const { return samples_.data() + static_cast<size_t>(c) * stride_; }

 private:
  FlacStreamInfo info_;
  std::vector<int64_t> samples_;  // grows to the largest frame met
  size_t stride_ = 0;             // the last frame's block size
};

}  // namespace tunegrab
