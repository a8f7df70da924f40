#include "importer/core/flac/flac_frame.h"

#include "importer/core/flac/flac_bits.h"
#include "importer/core/flac/flac_subframe.h"

namespace tunegrab {

namespace {

// Sample rates of the header's codes 1 to 11 (0 takes STREAMINFO's).
constexpr int kRates[12] = {0, 88200, 176400, 192000, 8000, 16000, 22050, 24000, 32000, 44100, 48000, 96000};
// Sample widths of the header's codes (0 takes STREAMINFO's, 3 is reserved).
constexpr int kWidths[8] = {0, 8, 12, -1, 16, 20, 24, 32};

// The frame or sample number, coded like UTF-8 but up to 36 bits long.
bool ReadCodedNumber(const uint8_t* data, size_t size, size_t& at, uint64_t& number) {
  if (at >= size) return false;
  const uint8_t first = data[at++];
  int more = 0;
  while (more < 7 && (first & (0x80 >> more))) ++more;
  if (more == 1 || (more == 7 && first != 0xFE)) return false;  // a continuation byte, or 0xFF
  if (more == 0) return number = first, true;
  more -= 1;  // bytes after the first
  number = more == 6 ? 0 : first & (0x3F >> more);
  for (int i = 0; i < more; ++i) {
    if (at >= size || (data[at] & 0xC0) != 0x80) return false;
    number = number << 6 | (data[at++] & 0x3F);
  }
  return true;
}

}  // namespace

bool ParseFlacFrameHeader(const uint8_t* data, size_t size, const FlacStreamInfo& info, FlacFrameHeader& header) {
  if (size < 6 || data[0] != 0xFF || (data[1] & 0xFE) != 0xF8) return false;
  header.variableBlockSize = (data[1] & 1) != 0;
  const int sizeCode = data[2] >> 4, rateCode = data[2] & 0xF;
  header.assignment = data[3] >> 4;
  const int widthCode = (data[3] >> 1) & 7;
  if (sizeCode == 0 || rateCode == 15 || header.assignment > 10 || kWidths[widthCode] < 0 || (data[3] & 1)) return false;
  size_t at = 4;
  if (!ReadCodedNumber(data, size, at, header.number)) return false;
  if (!header.variableBlockSize && header.number >> 31) return false;

  if (sizeCode == 1) header.blockSize = 192;
  else if (sizeCode <= 5) header.blockSize = 576 << (sizeCode - 2);
  else if (sizeCode >= 8) header.blockSize = 256 << (sizeCode - 8);
  else if (sizeCode == 6 && at < size) header.blockSize = data[at++] + 1;
  else if (sizeCode == 7 && at + 1 < size) header.blockSize = (data[at] << 8 | data[at + 1]) + 1, at += 2;
  else return false;
  if (header.blockSize > kFlacMaxBlockSize) return false;

  int rate = info.rate;
  if (rateCode >= 1 && rateCode <= 11) rate = kRates[rateCode];
  else if (rateCode == 12 && at < size) rate = data[at++] * 1000;
  else if (rateCode == 13 && at + 1 < size) rate = data[at] << 8 | data[at + 1], at += 2;
  else if (rateCode == 14 && at + 1 < size) rate = (data[at] << 8 | data[at + 1]) * 10, at += 2;
  else if (rateCode != 0) return false;

  if (at >= size || FlacCrc8(data, at) != data[at]) return false;
  header.bytes = at + 1;
  header.channels = header.assignment < 8 ? header.assignment + 1 : 2;
  const int width = widthCode == 0 ? info.bits : kWidths[widthCode];
  return rate == info.rate && width == info.bits && header.channels == info.channels;
}

FlacFrameDecoder::FlacFrameDecoder(const FlacStreamInfo& info) : info_(info) {}

size_t FlacFrameDecoder::Decode(const uint8_t* data, size_t size, FlacFrameHeader& header, size_t& examined) {
  examined = 1;
  if (!ParseFlacFrameHeader(data, size, info_, header)) return 0;
  FlacBitReader reader(data, size, header.bytes);
  const int n = header.blockSize;
  stride_ = static_cast<size_t>(n);
  if (samples_.size() < stride_ * static_cast<size_t>(header.channels))
    samples_.resize(stride_ * static_cast<size_t>(header.channels));
  int64_t* channel[kFlacMaxChannels];
  bool decoded = true;
  for (int c = 0; c < header.channels && decoded; ++c) {
    channel[c] = samples_.data() + static_cast<size_t>(c) * stride_;
    // The side channel carries one bit more than the others.
    const bool side = (header.assignment == 8 && c == 1) || (header.assignment == 9 && c == 0) ||
                      (header.assignment == 10 && c == 1);
    decoded = DecodeFlacSubframe(reader, info_.bits + (side ? 1 : 0), n, channel[c]);
  }
  reader.AlignToByte();
  const uint64_t end = reader.BitPosition() / 8;
  examined = static_cast<size_t>(end < size ? end : size);
  if (!decoded || end + 2 > size) return 0;
  const size_t length = static_cast<size_t>(end) + 2;
  if (FlacCrc16(data, length - 2) != (data[length - 2] << 8 | data[length - 1])) return 0;

  const uint64_t half = uint64_t{1} << (info_.bits - 1);
  bool inRange = true;
  if (header.assignment >= 8) {
    int64_t* left = channel[0];
    int64_t* right = channel[1];
    for (int i = 0; i < n; ++i) {
      int64_t l = left[i], r = right[i];
      if (header.assignment == 8) {
        r = l - r;
      } else if (header.assignment == 9) {
        l += r;
      } else {  // mid and side: the mid's lost lowest bit is the side's
        const int64_t mid = static_cast<int64_t>(static_cast<uint64_t>(l) << 1) | (r & 1);
        l = (mid + r) >> 1;
        r = (mid - r) >> 1;
      }
      left[i] = l;
      right[i] = r;
      inRange &= static_cast<uint64_t>(l) + half < half * 2 && static_cast<uint64_t>(r) + half < half * 2;
    }
  }
  return inRange ? length : 0;
}

}  // namespace tunegrab
