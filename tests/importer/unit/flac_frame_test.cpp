// FLAC codings that ffmpeg's encoder does not make, in a stream written
// bit by bit here: 32-bit samples with a 33-bit side channel, wasted bits,
// escaped residual partitions, the 5-bit Rice parameter, a constant
// subframe, an LPC subframe with a shift, a channel assignment that changes
// from frame to frame; and the same stream cut short and damaged.
#include <gtest/gtest.h>

#include <vector>

#include "importer/core/flac/flac_bits.h"
#include "importer/core/flac/flac_reader.h"

using namespace tunegrab;

namespace {

class BitWriter {
 public:
  void Put(uint64_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (used_ % 8 == 0) bytes.push_back(0);
      bytes.back() |= static_cast<uint8_t>(((value >> i) & 1) << (7 - used_ % 8));
      ++used_;
    }
  }
  void Rice(int64_t value, int k) {
    const uint64_t folded = value < 0 ? ~(static_cast<uint64_t>(value) << 1) : static_cast<uint64_t>(value) << 1;
    for (uint64_t q = folded >> k; q > 0; --q) Put(0, 1);
    Put(1, 1);
    Put(folded, k);
  }
  void Align() { used_ = (used_ + 7) / 8 * 8; }
  std::vector<uint8_t> bytes;

 private:
  int used_ = 0;
};

constexpr int kFrames1 = 16, kFrames2 = 8;

struct Stream {
  std::vector<uint8_t> file;
  std::vector<int64_t> left, right;
  size_t secondFrame = 0;
};

// Frame header: fixed block size, rate from STREAMINFO, 32 bits, an 8-bit
// block size.
void Header(BitWriter& w, int number, int assignment, int blockSize) {
  const size_t start = w.bytes.size();
  w.Put(0xFFF8, 16);
  w.Put(6, 4);
  w.Put(0, 4);
  w.Put(static_cast<uint64_t>(assignment), 4);
  w.Put(7, 3);
  w.Put(0, 1);
  w.Put(static_cast<uint64_t>(number), 8);
  w.Put(static_cast<uint64_t>(blockSize - 1), 8);
  w.Put(FlacCrc8(w.bytes.data() + start, w.bytes.size() - start), 8);
}

void EndFrame(BitWriter& w, size_t start) {
  w.Align();
  w.Put(FlacCrc16(w.bytes.data() + start, w.bytes.size() - start), 16);
}

Stream Build() {
  Stream s;
  BitWriter w;
  w.Put(0x664C6143, 32);  // "fLaC"
  w.Put(0x80, 8);
  w.Put(34, 24);
  w.Put(8, 16);
  w.Put(16, 16);
  w.Put(0, 48);
  w.Put(48000, 20);
  w.Put(1, 3);   // two channels
  w.Put(31, 5);  // 32 bits
  w.Put(kFrames1 + kFrames2, 36);
  w.Put(0, 64), w.Put(0, 64);

  // Frame 0, left and side. Left: near full scale, a fixed predictor of
  // order 2, its residual in two partitions (escaped, then Rice with the
  // 5-bit parameter). Side: beyond 32 bits, verbatim, two wasted bits.
  size_t start = w.bytes.size();
  Header(w, 0, 8, kFrames1);
  std::vector<int64_t> side;
  for (int i = 0; i < kFrames1; ++i) {
    s.left.push_back(2147483647LL - 1000LL * (i - 7) * (i - 7) - (i % 3) * 7);
    side.push_back(4 * (1073721823LL + i));
    s.right.push_back(s.left.back() - side.back());
  }
  w.Put(0, 1), w.Put(8 + 2, 6), w.Put(0, 1);
  w.Put(static_cast<uint64_t>(s.left[0]), 32), w.Put(static_cast<uint64_t>(s.left[1]), 32);
  w.Put(1, 2), w.Put(1, 4);  // 5-bit parameters, two partitions
  w.Put(31, 5), w.Put(20, 5);
  for (int i = 2; i < kFrames1; ++i) {
    const int64_t residual = s.left[i] - 2 * s.left[i - 1] + s.left[i - 2];
    if (i == kFrames1 / 2) w.Put(10, 5);
    if (i < kFrames1 / 2) w.Put(static_cast<uint64_t>(residual) & 0xFFFFF, 20);
    else w.Rice(residual, 10);
  }
  w.Put(0, 1), w.Put(1, 6), w.Put(1, 1), w.Put(0b01, 2);  // verbatim, 2 wasted bits
  for (int64_t v : side) w.Put(static_cast<uint64_t>(v / 4) & 0x7FFFFFFF, 31);
  EndFrame(w, start);

  // Frame 1, independent channels: the most negative constant, and an
  // LPC predictor of order 1 (4 * previous >> 2) with Rice residuals.
  s.secondFrame = w.bytes.size();
  Header(w, 1, 1, kFrames2);
  w.Put(0, 1), w.Put(0, 6), w.Put(0, 1), w.Put(0x80000000u, 32);
  w.Put(0, 1), w.Put(32, 6), w.Put(0, 1);
  w.Put(static_cast<uint64_t>(-5) & 0xFFFFFFFF, 32);
  w.Put(14, 4), w.Put(2, 5), w.Put(4, 15);  // precision 15, shift 2, coefficient 4
  w.Put(0, 2), w.Put(0, 4), w.Put(1, 4);    // 4-bit parameters, one partition, k = 1
  int64_t previous = -5;
  for (int i = 0; i < kFrames2; ++i) {
    s.left.push_back(-2147483648LL);
    const int64_t residual = i == 0 ? 0 : (i % 2 ? 3 : -2);
    if (i > 0) w.Rice(residual, 1);
    previous += residual;
    s.right.push_back(previous);
  }
  EndFrame(w, s.secondFrame);
  s.file = w.bytes;
  return s;
}

std::vector<float> Expected(const Stream& s, size_t frames) {
  std::vector<float> out;
  for (size_t i = 0; i < frames; ++i)
    for (int64_t v : {s.left[i], s.right[i]}) out.push_back(static_cast<float>(static_cast<double>(v) / 2147483648.0));
  return out;
}

Audio Decode(const std::vector<uint8_t>& file, Outcome& outcome) {
  MemorySource source(file);
  Audio audio;
  outcome = ReadFlac(source, audio);
  return audio;
}

TEST(FlacFrames, DecodesTheRarerCodings) {
  const Stream s = Build();
  Outcome outcome;
  Audio audio = Decode(s.file, outcome);
  ASSERT_TRUE(outcome.ok) << outcome.text;
  EXPECT_EQ(audio.rate, 48000);
  EXPECT_EQ(audio.samples, Expected(s, kFrames1 + kFrames2));

  // The second frame damaged: the first one alone, nothing in its place
  // (no later frame tells where the song goes on).
  std::vector<uint8_t> damaged = s.file;
  damaged[s.secondFrame + 9] ^= 0x01;
  audio = Decode(damaged, outcome);
  ASSERT_TRUE(outcome.ok) << outcome.text;
  EXPECT_EQ(audio.samples, Expected(s, kFrames1));

  // Cut inside the first frame: nothing can be read.
  std::vector<uint8_t> cut(s.file.begin(), s.file.begin() + static_cast<std::ptrdiff_t>(s.secondFrame - 3));
  Decode(cut, outcome);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.kind, Failure::Damaged);
}

}  // namespace
