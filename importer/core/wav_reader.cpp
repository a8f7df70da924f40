#include "importer/core/wav_reader.h"

#include <algorithm>
#include <cstring>

namespace tunegrab {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// A data size that streaming writers leave when they cannot seek back.
constexpr uint32_t kUnknownSize = 0xFFFFFFFF;

const char kDamaged[] = "The WAV file is damaged: ";

// The GUID tail that every KSDATAFORMAT_SUBTYPE of a WAVE format tag shares.
const uint8_t kSubtypeTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                  0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

Outcome ParseFormat(const uint8_t* fmt, uint32_t size, WavLayout& layout) {
  if (size < 16) return Outcome::Fail(std::string(kDamaged) + "its format chunk is too short.", Failure::Damaged);
  uint16_t tag = U16LE(fmt);
  layout.channels = U16LE(fmt + 2);
  uint32_t rate = U32LE(fmt + 4);
  layout.blockAlign = U16LE(fmt + 12);
  layout.bits = U16LE(fmt + 14);
  if (tag == kFormatExtensible) {
    if (size < 40 || U16LE(fmt + 16) < 22)
      return Outcome::Fail(std::string(kDamaged) + "its extensible format chunk is too short.", Failure::Damaged);
    uint16_t valid = U16LE(fmt + 18);
    if (std::memcmp(fmt + 26, kSubtypeTail, sizeof kSubtypeTail) != 0)
      return Outcome::Fail("The WAV file's coding is not supported (only PCM and floating point are).");
    tag = U16LE(fmt + 24);
    if (valid > layout.bits) return Outcome::Fail(std::string(kDamaged) + "its sample width is inconsistent.", Failure::Damaged);
  }
  if (tag == kFormatPcm) {
    layout.coding = WavCoding::Pcm;
    if (layout.bits != 8 && layout.bits != 16 && layout.bits != 24 && layout.bits != 32)
      return Outcome::Fail("The WAV file's sample width is not supported (8, 16, 24 or 32 bits are).");
  } else if (tag == kFormatFloat) {
    layout.coding = WavCoding::Float;
    if (layout.bits != 32 && layout.bits != 64)
      return Outcome::Fail("The WAV file's sample width is not supported (32 or 64-bit floating point is).");
  } else {
    return Outcome::Fail("The WAV file's coding is not supported (only PCM and floating point are).");
  }
  if (layout.channels == 0) return Outcome::Fail(std::string(kDamaged) + "it announces no channels.", Failure::Damaged);
  if (layout.channels > 2) return Outcome::Fail("The WAV file has more than two channels; only mono and stereo are supported.");
  if (rate < static_cast<uint32_t>(kMinRate) || rate > static_cast<uint32_t>(kMaxRate))
    return Outcome::Fail("The WAV file's sample rate is outside 8,000 to 192,000 Hz.");
  layout.rate = static_cast<int>(rate);
  if (layout.blockAlign != layout.channels * layout.bits / 8)
    return Outcome::Fail(std::string(kDamaged) + "its frame size does not match its sample width.", Failure::Damaged);
  return Outcome{};
}

float SampleAt(const uint8_t* p, const WavLayout& layout) {
  if (layout.coding == WavCoding::Float) {
    if (layout.bits == 32) {
      uint32_t bits = U32LE(p);
      float f;
      std::memcpy(&f, &bits, 4);
      // NaN is silence; values beyond full scale (infinities included)
      // are clipped, as every later stage expects -1..1.
      return f == f ? std::clamp(f, -1.0f, 1.0f) : 0.0f;
    }
    uint64_t bits = static_cast<uint64_t>(U32LE(p)) | static_cast<uint64_t>(U32LE(p + 4)) << 32;
    double d;
    std::memcpy(&d, &bits, 8);
    return d == d ? static_cast<float>(std::clamp(d, -1.0, 1.0)) : 0.0f;
  }
  switch (layout.bits) {
    case 8: return (static_cast<int>(p[0]) - 128) * (1.0f / 128);
    case 16: return static_cast<int16_t>(U16LE(p)) * (1.0f / 32768);
    case 24: {
      int32_t v = static_cast<int32_t>(static_cast<uint32_t>(p[0]) << 8 | static_cast<uint32_t>(p[1]) << 16 |
                                       static_cast<uint32_t>(p[2]) << 24);
      return static_cast<float>(v / 256) * (1.0f / 8388608);
    }
    default: return static_cast<float>(static_cast<double>(static_cast<int32_t>(U32LE(p))) * (1.0 / 2147483648.0));
  }
}

}  // namespace

bool LooksLikeWav(ByteSource& source) {
  uint8_t head[12];
  return source.ReadExactAt(0, head, 12) && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0;
}

Outcome ReadWavLayout(ByteSource& source, WavLayout& layout) {
  if (!LooksLikeWav(source)) return Outcome::Fail("The file is not a WAV file.");
  const uint64_t fileSize = source.Size();
  bool haveFormat = false;
  uint64_t at = 12;
  while (at + 8 <= fileSize) {
    uint8_t chunk[8];
    if (!source.ReadExactAt(at, chunk, 8)) break;
    uint32_t size = U32LE(chunk + 4);
    uint64_t body = at + 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      uint8_t fmt[40] = {};
      uint32_t want = size < sizeof fmt ? size : static_cast<uint32_t>(sizeof fmt);
      if (!source.ReadExactAt(body, fmt, want)) return Outcome::Fail(std::string(kDamaged) + "its format chunk is cut off.", Failure::Damaged);
      Outcome parsed = ParseFormat(fmt, size, layout);
      if (!parsed.ok) return parsed;
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) return Outcome::Fail(std::string(kDamaged) + "its audio comes before its format.", Failure::Damaged);
      uint64_t available = fileSize - body;
      uint64_t bytes = size;
      if (size == kUnknownSize || (size == 0 && available > 0)) bytes = available;
      if (bytes > available) return Outcome::Fail(std::string(kDamaged) + "its audio data ends early (the file is truncated).", Failure::Damaged);
      layout.dataOffset = body;
      layout.dataBytes = bytes / static_cast<uint64_t>(layout.blockAlign) * static_cast<uint64_t>(layout.blockAlign);
      if (layout.dataBytes / layout.blockAlign > static_cast<uint64_t>(kMaxSongSeconds) * layout.rate)
        return Outcome::Fail("The song is longer than 30 minutes.");
      return Outcome{};
    }
    // Every other chunk (LIST, fact, cue, ...) is passed over, with the pad
    // byte that follows an odd size.
    at = body + size + (size & 1);
  }
  if (!haveFormat) return Outcome::Fail(std::string(kDamaged) + "it has no format chunk.", Failure::Damaged);
  return Outcome::Fail(std::string(kDamaged) + "it has no audio data.", Failure::Damaged);
}

Outcome ReadWavSamples(ByteSource& source, const WavLayout& layout, AudioSink& sink) {
  const size_t sampleBytes = static_cast<size_t>(layout.bits / 8);
  const size_t frameBytes = static_cast<size_t>(layout.blockAlign);
  std::vector<uint8_t> buffer(frameBytes * 16384);
  std::vector<float> samples(buffer.size() / sampleBytes);
  uint64_t done = 0;
  while (done < layout.dataBytes) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(buffer.size(), layout.dataBytes - done));
    if (!source.ReadExactAt(layout.dataOffset + done, buffer.data(), n))
      return Outcome::Fail("The WAV file could not be read to its end.");
    float* dst = samples.data();
    for (size_t i = 0; i < n; i += sampleBytes) *dst++ = SampleAt(buffer.data() + i, layout);
    sink.Push(samples.data(), n / frameBytes);
    done += n;
  }
  return Outcome{};
}

Outcome ReadWav(ByteSource& source, Audio& out) {
  WavLayout layout;
  Outcome found = ReadWavLayout(source, layout);
  if (!found.ok) return found;
  out.rate = layout.rate;
  out.channels = layout.channels;
  out.samples.clear();
  CollectingSink sink(out);
  return ReadWavSamples(source, layout, sink);
}

}  // namespace tunegrab
