// The mono search and the driver that picks the coding by layout; split
// stereo codes its two halves as mono, one of them on the helper thread.
#include "converter/codecs/ea_adpcm_encoder.h"

#include <exception>
#include <vector>

#include "converter/codecs/ea_adpcm_encoder_helper.h"
#include "converter/codecs/ea_adpcm_encoder_search.h"

namespace {

using namespace ea_search;

constexpr int kPredictingLanes = 39;  // coefficient index 1-3 x scale 0-12

// Below this many frames per half, handing one half to the helper thread
// costs more than it saves.
constexpr int64_t kMinFramesPerThread = 24;

// Coefficient index 0 is costed apart; the lanes hold indices 1-3, three to
// a scale so that a vector's lanes have similar costs and stop together.
void SetMonoLanes(LaneJob& job) {
  for (int lane = 0; lane < kPredictingLanes + 1; ++lane) {
    SetLane(job, lane, 1 + lane % 3, lane < kPredictingLanes ? lane / 3 : 12);
  }
}

struct MonoWinner {
  int k = 0;
  int s = 0;
};

// In search order the first strictly smallest cost wins; the first candidate
// (index 0, scale 0) stands in when none is below the limit. Every
// predicting candidate comes after the zero-prediction ones: reaching their
// best cost is losing.
MonoWinner SearchMonoFrame(EaAdpcmKernel kernel, LaneJob& job) {
  double zeroCosts[13];
  ZeroPredictionCosts(kernel, job.x, zeroCosts);
  MonoWinner best;
  uint32_t bestCost = kNoWinnerCost;
  for (int s = 0; s <= 12; ++s) {
    const uint32_t cost = static_cast<uint32_t>(zeroCosts[s]);
    if (cost < bestCost) {
      bestCost = cost;
      best.s = s;
    }
  }
  const ea_kernel::Segment all = {&job, 0, kPredictingLanes, static_cast<double>(bestCost)};
  RunLanes(kernel, &all, 1);
  for (int k = 1; k <= 3; ++k) {
    for (int s = 0; s <= 12; ++s) {
      const int lane = s * 3 + k - 1;
      if (job.cost[lane] == ea_kernel::kDropped) continue;
      const uint32_t cost = LaneCost(job, lane);
      if (cost < bestCost) {
        bestCost = cost;
        best = MonoWinner{k, s};
      }
    }
  }
  return best;
}

// Writes the winner's frame and moves the history on to its end.
uint8_t* WriteMonoFrame(const LaneJob& job, const MonoWinner& best, uint8_t* output, float& cur, float& prev) {
  output[0] = static_cast<uint8_t>(best.k << 4 | best.s);
  if (best.k == 0) {
    uint32_t ignored = 0;
    int codes[kFrameSamples];
    for (int i = 0; i < kFrameSamples; ++i) codes[i] = NearestCode(static_cast<int>(job.x[i]), 0, best.s, ignored);
    for (int i = 0; i < 14; ++i) output[1 + i] = static_cast<uint8_t>(codes[2 * i] << 4 | codes[2 * i + 1]);
    // Nothing is predicted: the reconstructions are the deltas themselves.
    cur = DeltaTable()[best.s][codes[kFrameSamples - 1]];
    prev = DeltaTable()[best.s][codes[kFrameSamples - 2]];
  } else {
    const int lane = best.s * 3 + best.k - 1;
    for (int i = 0; i < 14; ++i) {
      output[1 + i] = static_cast<uint8_t>(LaneCode(job, lane, 2 * i) << 4 | LaneCode(job, lane, 2 * i + 1));
    }
    cur = static_cast<float>(job.endCur[lane]);
    prev = static_cast<float>(job.endPrev[lane]);
  }
  return output + kMonoFrameBytes;
}

// One channel of interleaved stereo coded as mono frames from and into the
// given history pair.
struct Half {
  const int16_t* pcm;
  int64_t pairs;
  int channel;
  uint8_t* output;
  int32_t* current;
  int32_t* previous;
  int32_t halfBytes;
  EaAdpcmKernel kernel;
};

void EncodeHalf(void* argument) {
  const Half& half = *static_cast<const Half*>(argument);
  std::vector<int16_t> values(static_cast<size_t>(half.pairs));
  for (int64_t i = 0; i < half.pairs; ++i) values[static_cast<size_t>(i)] = half.pcm[2 * i + half.channel];
  EaAdpcmState state;
  state.current1 = *half.current;
  state.previous1 = *half.previous;
  EncodeEaAdpcmMono(values.data(), half.output, state, half.halfBytes, half.kernel);
  *half.current = state.current1;
  *half.previous = state.previous1;
}

// Split stereo: all left frames, then all right frames. The halves are
// independent; the left one goes to the helper when there is enough of it
// to pay for the hand-over.
uint8_t* EncodeSplitStereo(const int16_t* pcm, uint8_t* output, EaAdpcmState& state, int32_t byteCount,
                           EaAdpcmKernel kernel, EncoderHelper* given) {
  if (byteCount <= 0) return output;
  const int64_t pairs = byteCount / 4;
  const int32_t halfBytes = byteCount / 2;
  const int64_t halfFrames = (static_cast<int64_t>(halfBytes) + 55) / 56;
  uint8_t* rightOut = output + halfFrames * kMonoFrameBytes;
  Half left = {pcm, pairs, 0, output, &state.current1, &state.previous1, halfBytes, kernel};
  Half right = {pcm, pairs, 1, rightOut, &state.current2, &state.previous2, halfBytes, kernel};
  EncoderHelper* helper = halfFrames >= kMinFramesPerThread ? given : nullptr;
  if (helper != nullptr && helper->TryBegin(EncodeHalf, &left)) {
    // The helper writes into the caller's buffers: it must be done before
    // this call returns or unwinds.
    std::exception_ptr failure;
    try {
      EncodeHalf(&right);
    } catch (...) {
      failure = std::current_exception();
    }
    helper->Finish();
    if (failure) std::rethrow_exception(failure);
  } else {
    EncodeHalf(&left);
    EncodeHalf(&right);
  }
  return rightOut + halfFrames * kMonoFrameBytes;
}

}  // namespace

uint8_t* EncodeEaAdpcmMono(const int16_t* samples, uint8_t* output, EaAdpcmState& state, int32_t byteCount,
                           EaAdpcmKernel kernel) {
  if (byteCount <= 0) return output;
  const int64_t valueCount = byteCount / 2;
  const int64_t frames = (static_cast<int64_t>(byteCount) + 55) / 56;
  std::vector<LaneJob> storage(1);
  LaneJob& job = storage[0];
  SetMonoLanes(job);
  float cur = static_cast<float>(state.current1);
  float prev = static_cast<float>(state.previous1);
  for (int64_t f = 0; f < frames; ++f) {
    LoadFrame(samples, valueCount, f * kFrameSamples, 1, job.x);
    job.cur = cur;
    job.prev = prev;
    output = WriteMonoFrame(job, SearchMonoFrame(kernel, job), output, cur, prev);
  }
  state.current1 = TruncateHistory(cur);
  state.previous1 = TruncateHistory(prev);
  return output;
}

uint8_t* EncodeEaAdpcm(const int16_t* pcm, uint8_t* output, EaAdpcmState& state, int32_t byteCount,
                       const EaAdpcmLayout& layout) {
  if (layout.channels == 2 && layout.split) return EncodeSplitStereo(pcm, output, state, byteCount, layout.kernel, layout.helper);
  if (layout.channels == 2) return EncodeEaAdpcmStereo(pcm, output, state, byteCount, layout.kernel);
  return EncodeEaAdpcmMono(pcm, output, state, byteCount, layout.kernel);
}
