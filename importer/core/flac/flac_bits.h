// Reading a FLAC frame bit by bit, most significant bit first, and the two
// checksums of a frame (CRC-8 of its header, CRC-16 of the whole frame).
// The reader never looks past the bytes it is given: beyond them it reads
// zeros and counts them, so that a frame running past its data is caught
// once, after decoding, rather than at every read.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace tunegrab {

uint8_t FlacCrc8(const uint8_t* data, size_t size);
uint16_t FlacCrc16(const uint8_t* data, size_t size);

class FlacBitReader {
 public:
  FlacBitReader(const uint8_t* data, size_t size, size_t startByte) : data_(data), size_(size), pos_(startByte) {}

  // Reads n bits, 0 <= n <= 56, as an unsigned number.
  uint64_t Read(int n) {
    if (n == 0) return 0;
    if (bits_ < n) Refill();
    const uint64_t value = cache_ >> (64 - n);
    cache_ <<= n;
    bits_ -= n;
    return value;
  }

  // Reads n bits, 1 <= n <= 56, as a two's complement number.
  int64_t ReadSigned(int n) {
    const uint64_t value = Read(n);
    return static_cast<int64_t>(value << (64 - n)) >> (64 - n);
  }

  // Counts zero bits up to the next one bit (which is read too). False
  // when the zeros run past the data.
  bool ReadUnary(uint64_t& zeros) {
    zeros = 0;
    for (;;) {
      if (bits_ == 0) Refill();
      const int lead = cache_ != 0 ? std::countl_zero(cache_) : 64;
      if (lead < bits_) {
        cache_ <<= lead;
        cache_ <<= 1;
        bits_ -= lead + 1;
        zeros += static_cast<uint64_t>(lead);
        return true;
      }
      zeros += static_cast<uint64_t>(bits_);
      cache_ = 0;
      bits_ = 0;
      if (pos_ > size_) return false;
    }
  }

  // Reads one Rice-coded value with parameter k (0..30), folded back to a
  // signed number. False when the value is implausibly large (a residual
  // of more than 34 bits) or runs past the data.
  bool ReadRice(int k, int64_t& value) {
    uint64_t high;
    if (!ReadUnary(high) || high >= (uint64_t{1} << (35 - k))) return false;
    const uint64_t folded = high << k | Read(k);
    value = static_cast<int64_t>(folded >> 1) ^ -static_cast<int64_t>(folded & 1);
    return true;
  }

  // Reads count Rice-coded values with parameter k into out: the common
  // case (the whole code within the cache) inline, the rest as ReadRice.
  bool ReadRiceRun(int k, int64_t* out, int count) {
    for (int i = 0; i < count; ++i) {
      if (bits_ < 40) Refill();
      const int lead = cache_ != 0 ? std::countl_zero(cache_) : 64;
      if (lead + 1 + k > bits_) {
        if (!ReadRice(k, out[i])) return false;
        continue;
      }
      cache_ <<= lead;
      cache_ <<= 1;
      const uint64_t folded = static_cast<uint64_t>(lead) << k | cache_ >> (63 - k) >> 1;
      cache_ <<= k;
      bits_ -= lead + 1 + k;
      out[i] = static_cast<int64_t>(folded >> 1) ^ -static_cast<int64_t>(folded & 1);
    }
    return true;
  }

  // Skips to the next byte boundary.
  void AlignToByte() { Read(static_cast<int>((8 - (BitPosition() & 7)) & 7)); }

  // Bits read so far, counted from the start of the data.
  uint64_t BitPosition() const { return static_cast<uint64_t>(pos_) * 8 - static_cast<uint64_t>(bits_); }
  // True when more bits were read than the data holds.
  bool Overrun() const { return BitPosition() > static_cast<uint64_t>(size_) * 8; }

 private:
  // Tops the cache up to at least 56 bits. Bits below the counted ones may
  // already hold the next bytes; they are or-ed in again unchanged.
  void Refill() {
    if (pos_ + 8 <= size_) {
      uint64_t next = 0;
      for (int i = 0; i < 8; ++i) next = next << 8 | data_[pos_ + static_cast<size_t>(i)];
      cache_ |= next >> bits_;
      pos_ += static_cast<size_t>((63 - bits_) >> 3);
      bits_ |= 56;
      return;
    }
    while (bits_ <= 56) {
      const uint64_t byte = pos_ < size_ ? data_[pos_] : 0;
      cache_ |= byte << (56 - bits_);
      bits_ += 8;
      ++pos_;
    }
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_;          // next byte not yet in the cache
  uint64_t cache_ = 0;  // unread bits, first one at the top
  int bits_ = 0;        // how many bits of the cache count
};

}  // namespace tunegrab
