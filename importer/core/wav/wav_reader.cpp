#include "importer/core/wav/wav_reader.h"

#include <algorithm>
#include <cstring>

namespace tunegrab {

namespace {

// A data size that streaming writers leave when they cannot seek back.
constexpr uint32_t kUnknownSize = 0xFFFFFFFF;

const char kDamaged[] = "The WAV file is damaged: ";

Outcome Damaged(const char* what) { return Outcome::Fail(std::string(kDamaged) + what, Failure::Damaged); }

// What this importer takes of a format chunk the reader found.
Outcome CheckFormat(const WavLayout& layout) {
  if (layout.coding == kickora::kWavPcm) {
    if (layout.bits != 8 && layout.bits != 16 && layout.bits != 24 && layout.bits != 32)
      return Outcome::Fail("The WAV file's sample width is not supported (8, 16, 24 or 32 bits are).");
  } else if (layout.coding == kickora::kWavFloat) {
    if (layout.bits != 32 && layout.bits != 64)
      return Outcome::Fail("The WAV file's sample width is not supported (32 or 64-bit floating point is).");
  } else {
    return Outcome::Fail("The WAV file's coding is not supported (only PCM and floating point are).");
  }
  if (layout.channels == 0) return Damaged("it announces no channels.");
  if (layout.channels > 2) return Outcome::Fail("The WAV file has more than two channels; only mono and stereo are supported.");
  if (layout.rate < static_cast<uint32_t>(kMinRate) || layout.rate > static_cast<uint32_t>(kMaxRate))
    return Outcome::Fail("The WAV file's sample rate is outside 8,000 to 192,000 Hz.");
  if (layout.blockAlign != layout.channels * layout.bits / 8) return Damaged("its frame size does not match its sample width.");
  return Outcome{};
}

// The reader's problems as this importer words them; a refused format
// chunk gives refusal.
Outcome ProblemOutcome(kickora::WavProblem problem, const Outcome& refusal) {
  using kickora::WavProblem;
  switch (problem) {
    case WavProblem::kNone: break;
    case WavProblem::kNotWav: return Outcome::Fail("The file is not a WAV file.");
    case WavProblem::kFormatCutOff: return Damaged("its format chunk is cut off.");
    case WavProblem::kFormatTooShort: return Damaged("its format chunk is too short.");
    case WavProblem::kExtensibleTooShort: return Damaged("its extensible format chunk is too short.");
    case WavProblem::kWidthInconsistent: return Damaged("its sample width is inconsistent.");
    case WavProblem::kRefused: return refusal;
    case WavProblem::kDataBeforeFormat: return Damaged("its audio comes before its format.");
    case WavProblem::kNoFormat: return Damaged("it has no format chunk.");
    case WavProblem::kNoData: return Damaged("it has no audio data.");
  }
  return Outcome{};
}

float SampleAt(const uint8_t* p, const WavLayout& layout) {
  if (layout.coding == kickora::kWavFloat) {
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

Outcome ReadWavLayout(ByteSource& source, WavLayout& layout) {
  Outcome refusal;
  const kickora::WavProblem problem = kickora::ReadWavChunks(source, layout, [&](const WavLayout& format) {
    refusal = CheckFormat(format);
    return refusal.ok;
  });
  if (problem != kickora::WavProblem::kNone) return ProblemOutcome(problem, refusal);
  uint64_t bytes = layout.dataSize;
  if (layout.dataSize == kUnknownSize || (layout.dataSize == 0 && layout.dataAvailable > 0)) bytes = layout.dataAvailable;
  if (bytes > layout.dataAvailable) return Damaged("its audio data ends early (the file is truncated).");
  layout.dataBytes = bytes / static_cast<uint64_t>(layout.blockAlign) * static_cast<uint64_t>(layout.blockAlign);
  if (layout.dataBytes / layout.blockAlign > static_cast<uint64_t>(kMaxSongSeconds) * layout.rate)
    return Outcome::Fail("The song is longer than 30 minutes.");
  return Outcome{};
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
