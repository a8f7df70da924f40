#include "importer/core/flac/flac_bits.h"

#include <array>

namespace tunegrab {

namespace {

// Both checksums shift most significant bit first from a start of zero:
// CRC-8 with x^8 + x^2 + x + 1, CRC-16 with x^16 + x^15 + x^2 + 1.
constexpr std::array<uint8_t, 256> Crc8Table() {
  std::array<uint8_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned crc = i;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80) ? (crc << 1) ^ 0x07 : crc << 1;
    table[i] = static_cast<uint8_t>(crc);
  }
  return table;
}

// Four tables, so that four bytes are taken per step: table k gives the
// checksum of a byte followed by k zero bytes.
constexpr std::array<std::array<uint16_t, 256>, 4> Crc16Tables() {
  std::array<std::array<uint16_t, 256>, 4> tables{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned crc = i << 8;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x8005 : crc << 1;
    tables[0][i] = static_cast<uint16_t>(crc);
  }
  for (int k = 1; k < 4; ++k)
    for (unsigned i = 0; i < 256; ++i) {
      const unsigned previous = tables[k - 1][i];
      tables[k][i] = static_cast<uint16_t>((previous << 8) ^ tables[0][previous >> 8]);
    }
  return tables;
}

constexpr std::array<uint8_t, 256> kCrc8 = Crc8Table();
constexpr std::array<std::array<uint16_t, 256>, 4> kCrc16 = Crc16Tables();

}  // namespace

uint8_t FlacCrc8(const uint8_t* data, size_t size) {
  uint8_t crc = 0;
  for (size_t i = 0; i < size; ++i) crc = kCrc8[crc ^ data[i]];
  return crc;
}

uint16_t FlacCrc16(const uint8_t* data, size_t size) {
  unsigned crc = 0;
  size_t i = 0;
  for (; i + 4 <= size; i += 4) {
    const unsigned a = (crc >> 8) ^ data[i], b = (crc & 0xFF) ^ data[i + 1];
    crc = kCrc16[3][a] ^ kCrc16[2][b] ^ kCrc16[1][data[i + 2]] ^ kCrc16[0][data[i + 3]];
  }
  for (; i < size; ++i) crc = ((crc << 8) & 0xFFFF) ^ kCrc16[0][(crc >> 8) ^ data[i]];
  return static_cast<uint16_t>(crc);
}

}  // namespace tunegrab
