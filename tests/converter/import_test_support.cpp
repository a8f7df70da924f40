#include "import_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "converter/codecs/ea_adpcm.h"

namespace import_test {

Bytes WaveFile(int channels, int rate, const Pcm& samples, int bitsPerSample) {
  Bytes out;
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  AppendText(out, "RIFF");
  AppendU32(out, 36 + dataBytes);
  AppendText(out, "WAVEfmt ");
  AppendU32(out, 16);
  AppendU16(out, 1);
  AppendU16(out, static_cast<uint32_t>(channels));
  AppendU32(out, static_cast<uint32_t>(rate));
  AppendU32(out, static_cast<uint32_t>(rate * channels * 2));
  AppendU16(out, static_cast<uint32_t>(channels * 2));
  AppendU16(out, static_cast<uint32_t>(bitsPerSample));
  AppendText(out, "data");
  AppendU32(out, dataBytes);
  for (int16_t s : samples) AppendU16(out, static_cast<uint16_t>(s));
  return out;
}

Pcm Music(int frames, int channels, int rate, double amplitude) {
  Pcm out;
  out.reserve(static_cast<size_t>(frames) * static_cast<size_t>(channels));
  const double pi = 3.14159265358979323846;
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double swell = 0.6 + 0.4 * std::sin(2 * pi * 1.5 * t);
    for (int c = 0; c < channels; ++c) {
      const double f1 = c == 0 ? 330.0 : 523.0;
      const double f2 = c == 0 ? 1250.0 : 90.0;
      double v = amplitude * swell * (0.7 * std::sin(2 * pi * f1 * t) + 0.3 * std::sin(2 * pi * f2 * t + c));
      out.push_back(static_cast<int16_t>(std::lround(v)));
    }
  }
  return out;
}

double SnrDb(const Pcm& original, const Pcm& decoded) {
  const size_t n = std::min(original.size(), decoded.size());
  double signal = 0;
  double noise = 0;
  for (size_t i = 0; i < n; ++i) {
    const double d = static_cast<double>(original[i]) - decoded[i];
    signal += static_cast<double>(original[i]) * original[i];
    noise += d * d;
  }
  if (noise == 0) return 200.0;
  return 10.0 * std::log10(signal / noise);
}

Bytes PtListBytes(const PtList& list) {
  Bytes out;
  AppendText(out, std::string("PT\0\0", 4));
  if (list.eaAdpcm2) Append(out, BytesOf({0x0B, 0x01, 0x00}));
  out.push_back(0xFD);
  Append(out, PtField(0x82, static_cast<uint32_t>(list.channels), 1));
  Append(out, PtField(0x84, static_cast<uint32_t>(list.frequency), 2));
  if (list.withLength) Append(out, PtField(0x85, list.length, 4));
  Append(out, BytesOf({0x8A, 0x00, 0xFF}));
  return out;
}

Bytes SchlOriginal(const PtList& list, const std::vector<uint32_t>& counts) {
  Bytes header = PtListBytes(list);
  while (header.size() % 4) header.push_back(0);
  Bytes file;
  AppendText(file, "SCHl");
  AppendU32(file, static_cast<uint32_t>(header.size() + 8));
  Append(file, header);
  Append(file, SccBlock(static_cast<uint32_t>(counts.size())));
  for (uint32_t count : counts) Append(file, ScdEaBlock(count, Bytes(64, 0x00)));
  Append(file, SceBlock());
  return file;
}

Bytes BarePtOriginal(const PtList& list) {
  Bytes listBytes = PtListBytes(list);
  Bytes file;
  AppendText(file, std::string("PT\0\x02", 4));
  // Size bytes: read as fields by the probe, so keep them harmless fillers.
  Append(file, BytesOf({0xFC, 0xFC, 0xFC, 0xFC}));
  file.insert(file.end(), listBytes.begin() + 4, listBytes.end());
  file.insert(file.end(), 200, 0x5A);
  return file;
}

ImportedStream ParseImportedStream(const Bytes& file, bool adpcm2, int channels) {
  ImportedStream out;
  EXPECT_GE(file.size(), 8u);
  if (file.size() < 8) return out;
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "SCHl");
  const uint32_t headerSize = U32At(file, 4);
  EXPECT_EQ(headerSize % 4, 0u);
  EXPECT_LE(headerSize, file.size());
  if (headerSize < 8 || headerSize > file.size()) return out;
  out.header.assign(file.begin() + 8, file.begin() + headerSize);
  size_t at = headerSize;
  EXPECT_EQ(std::string(file.begin() + static_cast<long>(at), file.begin() + static_cast<long>(at) + 4), "SCCl");
  EXPECT_EQ(U32At(file, at + 4), 12u);
  out.declaredBlocks = U32At(file, at + 8);
  at += 12;
  while (at + 8 <= file.size() && std::memcmp(file.data() + at, "SCDl", 4) == 0) {
    DataBlock block;
    block.size = U32At(file, at + 4);
    block.count = U32At(file, at + 8);
    size_t p = at + 12;
    int historyBefore = 4;
    if (adpcm2) {
      block.fields = {U32At(file, p), U32At(file, p + 4)};
      p += 8;
      historyBefore = 2;
    }
    for (int i = 0; i < historyBefore; ++i) block.history.push_back(static_cast<int16_t>(U16At(file, p + 2 * i)));
    p += 2 * historyBefore;
    const size_t end = at + block.size;
    EXPECT_LE(end, file.size());
    if (end > file.size() || block.size < p - at) break;
    if (adpcm2 && channels == 2) {
      const size_t half = block.fields[1] - 4;
      block.data.assign(file.begin() + static_cast<long>(p), file.begin() + static_cast<long>(p + half));
      p += half;
      for (int i = 0; i < 2; ++i) block.history.push_back(static_cast<int16_t>(U16At(file, p + 2 * i)));
      p += 4;
      block.data.insert(block.data.end(), file.begin() + static_cast<long>(p),
                        file.begin() + static_cast<long>(p + half));
      p += half;
    } else {
      const size_t g = adpcm2 ? block.fields[1] - 4 : (channels == 2 ? block.count * 30 / 28 : block.count);
      block.data.assign(file.begin() + static_cast<long>(p), file.begin() + static_cast<long>(p + g));
      p += g;
    }
    block.pad = end - p;
    for (size_t i = p; i < end; ++i) EXPECT_EQ(file[i], 0) << "padding at " << i;
    out.blocks.push_back(block);
    at = end;
  }
  out.endSeen = at + 8 == file.size() && std::memcmp(file.data() + at, "SCEl", 4) == 0 && U32At(file, at + 4) == 8;
  return out;
}

namespace {

Pcm DecodeMono(const uint8_t* data, size_t bytes, int16_t current, int16_t previous) {
  EaAdpcmState state;
  state.count = static_cast<int32_t>(bytes);
  state.current1 = current;
  state.previous1 = previous;
  std::vector<uint8_t> out(bytes / 15 * 56 + 64);
  uint8_t* end = DecodeEaAdpcmMono(data, out.data(), state);
  return SamplesOf(Bytes(out.data(), end));
}

}  // namespace

Pcm DecodeImportedStream(const ImportedStream& stream, bool adpcm2, int channels) {
  Pcm pcm;
  for (const DataBlock& block : stream.blocks) {
    if (adpcm2 && channels == 2) {
      const size_t half = block.data.size() / 2;
      Pcm left = DecodeMono(block.data.data(), half, block.history[0], block.history[1]);
      Pcm right = DecodeMono(block.data.data() + half, half, block.history[2], block.history[3]);
      for (size_t i = 0; i < left.size() && i < right.size(); ++i) {
        pcm.push_back(left[i]);
        pcm.push_back(right[i]);
      }
    } else if (channels == 1) {
      Pcm mono = DecodeMono(block.data.data(), block.data.size(), block.history[0], block.history[1]);
      pcm.insert(pcm.end(), mono.begin(), mono.end());
    } else {
      EaAdpcmState state;
      state.count = static_cast<int32_t>(block.count);
      state.current1 = block.history[0];
      state.previous1 = block.history[1];
      state.current2 = block.history[2];
      state.previous2 = block.history[3];
      std::vector<uint8_t> out(block.data.size() / 30 * 112 + 128);
      Bytes data = block.data;
      data.resize(data.size() + 30, 0);
      uint8_t* end = DecodeEaAdpcmStereo(data.data(), out.data(), state);
      Pcm stereo = SamplesOf(Bytes(out.data(), end));
      pcm.insert(pcm.end(), stereo.begin(), stereo.end());
    }
  }
  return pcm;
}

uint32_t BankHeaderPosition(int slots, int slot) { return 12 + 4 * static_cast<uint32_t>(slots) + 64 * slot; }

Bytes BankList(int channels, int frequency, uint32_t length, uint32_t dataOffset) {
  Bytes out{0xFD};
  Append(out, PtField(0x82, static_cast<uint32_t>(channels), 1));
  Append(out, PtField(0x84, static_cast<uint32_t>(frequency), 2));
  Append(out, PtField(0x85, length, 4));
  Append(out, PtField(0x88, dataOffset, 4));
  Append(out, BytesOf({0x8A, 0x00}));
  return out;
}

Bytes BankHeader(const std::vector<Bytes>& lists) {
  Bytes out;
  AppendText(out, std::string("PT\0\0", 4));
  for (size_t i = 0; i < lists.size(); ++i) {
    if (i > 0) out.push_back(0xFE);
    Append(out, lists[i]);
  }
  out.push_back(0xFF);
  return out;
}

Bytes Bank(const std::vector<Bytes>& headers, const Bytes& dataArea) {
  const int slots = static_cast<int>(headers.size());
  Bytes out;
  AppendText(out, "BNKl");
  AppendU16(out, 2);
  AppendU16(out, static_cast<uint32_t>(slots));
  AppendU32(out, 0);
  for (int k = 0; k < slots; ++k) {
    const uint32_t entryAt = 12 + 4 * static_cast<uint32_t>(k);
    AppendU32(out, headers[k].empty() ? 0 : BankHeaderPosition(slots, k) - entryAt);
  }
  for (int k = 0; k < slots; ++k) {
    EXPECT_LE(headers[k].size(), 64u);
    Bytes header = headers[k];
    header.resize(64, 0);
    Append(out, header);
  }
  EXPECT_LE(out.size(), kBankDataStart);
  out.resize(kBankDataStart, 0);
  Append(out, dataArea);
  return out;
}

namespace {
uint32_t BigEndianAt(const Bytes& bytes, size_t at) {
  return (static_cast<uint32_t>(bytes.at(at)) << 24) | (static_cast<uint32_t>(bytes.at(at + 1)) << 16) |
         (static_cast<uint32_t>(bytes.at(at + 2)) << 8) | bytes.at(at + 3);
}
}  // namespace

uint32_t BankLength(const Bytes& bank, uint32_t headerPosition, int list) {
  const size_t listAt = headerPosition + 4 + 23 * static_cast<size_t>(list);
  EXPECT_EQ(bank.at(listAt + 8), 0x85);
  return BigEndianAt(bank, listAt + 10);
}

uint32_t BankDataOffset(const Bytes& bank, uint32_t headerPosition, int list) {
  const size_t listAt = headerPosition + 4 + 23 * static_cast<size_t>(list);
  EXPECT_EQ(bank.at(listAt + 14), 0x88);
  return BigEndianAt(bank, listAt + 16);
}

}  // namespace import_test
