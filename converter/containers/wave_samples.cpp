#include "converter/containers/wave_samples.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <vector>

#include "converter/context/context.h"
#include "converter/support/file_io.h"

namespace {

// A WAV announcing anything but one or two channels is taken as laid out
// like the original: there is no sensible mix-down to guess.
int WaveChannels(const ConversionContext& ctx) {
  int wave = ctx.import.waveChannels;
  return (wave == 1 || wave == 2) ? wave : ctx.params.channels;
}

int OriginalChannels(const ConversionContext& ctx) { return ctx.params.channels == 2 ? 2 : 1; }

bool CopiesDirectly(const ConversionContext& ctx) {
  return WaveRateStep(ctx.params) == RateStep::Same && WaveChannels(ctx) == ctx.params.channels;
}

void ToHostOrder(uint8_t* bytes, size_t count) {
  if constexpr (std::endian::native == std::endian::big) {
    for (size_t i = 0; i + 1 < count; i += 2) std::swap(bytes[i], bytes[i + 1]);
  } else {
    (void)bytes;
    (void)count;
  }
}

int64_t InputFrameFor(int64_t outputFrame, RateStep step) {
  switch (step) {
    case RateStep::Double:
      return outputFrame / 2;
    case RateStep::Halve:
      return outputFrame * 2;
    case RateStep::Same:
      break;
  }
  return outputFrame;
}

}  // namespace

RateStep WaveRateStep(const StreamParams& p) {
  int32_t wave = p.waveFrequency;
  int32_t original = p.frequency;
  if (wave == 22050 && original == 44100) return RateStep::Double;
  if (wave == 44100 && original == 22050) return RateStep::Halve;
  return RateStep::Same;
}

int32_t ConvertedByteCount(const ConversionContext& ctx, int32_t waveBytes) {
  if (waveBytes <= 0) return 0;
  if (CopiesDirectly(ctx)) return waveBytes;
  int64_t frames = waveBytes / (2 * WaveChannels(ctx));
  if (WaveRateStep(ctx.params) == RateStep::Double) frames *= 2;
  if (WaveRateStep(ctx.params) == RateStep::Halve) frames /= 2;
  int64_t frameBytes = 2 * OriginalChannels(ctx);
  int64_t largest = std::numeric_limits<int32_t>::max() / frameBytes;
  return static_cast<int32_t>(std::min(frames, largest) * frameBytes);
}

size_t ReadZeroFilled(SampleInput& input, void* buffer, size_t count) {
  return input.file ? ReadZeroFilled(input.file, buffer, count) : ReadZeroFilled(input.memory, buffer, count);
}

void ReadWaveSamples(ConversionContext& ctx, uint8_t* buffer, int32_t n, FILE* wav) {
  SampleInput input;
  input.file = wav;
  ReadWaveSamples(ctx, buffer, n, input);
}

void ReadWaveSamples(ConversionContext& ctx, uint8_t* buffer, int32_t n, SampleInput& wav) {
  if (n <= 0) return;
  if (CopiesDirectly(ctx)) {
    ReadZeroFilled(wav, buffer, static_cast<size_t>(n));
    ToHostOrder(buffer, static_cast<size_t>(n));
    return;
  }

  ImportState& st = ctx.import;
  const RateStep step = WaveRateStep(ctx.params);
  const int inChannels = WaveChannels(ctx);
  const int outChannels = OriginalChannels(ctx);
  const int inFrameBytes = 2 * inChannels;
  const int64_t outFrames = n / (2 * outChannels);
  std::memset(buffer + outFrames * 2 * outChannels, 0, static_cast<size_t>(n - outFrames * 2 * outChannels));
  if (outFrames == 0) return;

  std::vector<uint8_t>& scratch = ctx.scratch;
  if (scratch.size() < 4096) scratch.assign(kScratchBytes, 0);
  const int64_t chunkFrames = static_cast<int64_t>(scratch.size()) / inFrameBytes;

  // Input frames this call needs, read in scratch-sized chunks; frames the
  // rate step skips are read and dropped so the file stays in step.
  const int64_t lastInput = InputFrameFor(st.nextOutputFrame + outFrames - 1, step);
  int64_t chunkBase = st.nextInputFrame;
  int64_t chunkCount = 0;
  uint8_t* out = buffer;

  for (int64_t k = 0; k < outFrames; ++k) {
    int64_t input = InputFrameFor(st.nextOutputFrame + k, step);
    if (input != st.cachedFrameIndex) {
      while (input >= chunkBase + chunkCount && chunkBase + chunkCount <= lastInput) {
        chunkBase += chunkCount;
        chunkCount = std::min(chunkFrames, lastInput + 1 - chunkBase);
        ReadZeroFilled(wav, scratch.data(), static_cast<size_t>(chunkCount * inFrameBytes));
      }
      int left = 0;
      int right = 0;
      if (input >= chunkBase && input < chunkBase + chunkCount) {
        const uint8_t* frame = scratch.data() + (input - chunkBase) * inFrameBytes;
        left = GetI16LE(frame);
        right = inChannels == 2 ? GetI16LE(frame + 2) : left;
      }
      st.cachedFrame[0] = static_cast<int16_t>(left);
      st.cachedFrame[1] = static_cast<int16_t>(right);
      st.cachedFrameIndex = input;
    }
    if (outChannels == 2) {
      std::memcpy(out, st.cachedFrame, 4);
      out += 4;
    } else {
      int16_t mixed = static_cast<int16_t>((st.cachedFrame[0] + st.cachedFrame[1]) / 2);
      std::memcpy(out, &mixed, 2);
      out += 2;
    }
  }
  st.nextInputFrame = chunkBase + chunkCount;
  st.nextOutputFrame += outFrames;
}
