#include "converter/containers/wav.h"

#include <cstring>

#include "converter/context/state.h"
#include "converter/support/fatal.h"
#include "converter/support/file_io.h"

namespace {

constexpr int kDataSearchSteps = 2000;

// Byte rate and block align of 16-bit PCM; 64-bit so that hostile header
// values cannot overflow.
uint32_t ByteRate(int channels, int64_t rate) { return static_cast<uint32_t>(16 * channels * rate / 8); }
uint32_t BlockAlign(int channels) { return static_cast<uint32_t>(16 * channels / 8); }

}  // namespace

void WriteWavHeader(FILE* wav, const StreamParams& p) {
  uint8_t header[kWavHeaderBytes];
  std::memcpy(header, "RIFF    WAVEfmt ", 16);
  PutU32LE(header + 16, 16);
  PutU16LE(header + 20, 1);
  PutU16LE(header + 22, static_cast<uint16_t>(p.channels));
  PutU32LE(header + 24, static_cast<uint32_t>(p.frequency));
  PutU32LE(header + 28, ByteRate(p.channels, p.frequency));
  PutU16LE(header + 32, BlockAlign(p.channels));
  PutU16LE(header + 34, 16);
  std::memcpy(header + 36, "data    ", 8);
  std::fwrite(header, 1, sizeof header, wav);
}

int32_t WavFileRate(const StreamParams& p) { return p.frequency < 22050 ? 22050 : p.frequency; }

void FinishWavHeader(FILE* wav, const StreamParams& p, uint32_t dataBytes) {
  const int32_t rate = WavFileRate(p);
  std::fseek(wav, 4, SEEK_SET);
  WriteU32LE(wav, dataBytes + 36);
  std::fseek(wav, 22, SEEK_SET);
  WriteU16LE(wav, static_cast<uint16_t>(p.channels));
  WriteU32LE(wav, static_cast<uint32_t>(rate));
  WriteU32LE(wav, ByteRate(p.channels, rate));
  WriteU16LE(wav, BlockAlign(p.channels));
  WriteU16LE(wav, 16);
  std::fseek(wav, 40, SEEK_SET);
  WriteU32LE(wav, dataBytes);
}

int32_t ReadWaveInput(FILE* wav, StreamParams& p) {
  uint8_t header[36];
  ReadZeroFilled(wav, header, 16);
  if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0) Fatal("not wave sound file");
  ReadZeroFilled(wav, header + 16, 20);
  p.channels = header[22];
  p.waveFrequency = GetI32LE(header + 24);
  if (header[34] != 16) Fatal("16 bits per sample wave file required\n");

  uint8_t window[4] = {0, 0, 0, 0};
  for (int steps = 1;; ++steps) {
    std::memmove(window, window + 1, 3);
    int c = std::fgetc(wav);
    window[3] = c == EOF ? 0 : static_cast<uint8_t>(c);
    if (steps > kDataSearchSteps) Fatal("corrupt wave file");
    if (std::memcmp(window, "data", 4) == 0) break;
  }
  uint8_t size[4];
  ReadZeroFilled(wav, size, 4);
  return GetI32LE(size);
}
