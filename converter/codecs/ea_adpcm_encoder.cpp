#include "ea_adpcm_encoder.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "../fatal.h"
#include "../state.h"
#include "ea_adpcm_encoder_internal.h"
#include "ea_adpcm_encoder_kernel.h"

// The search codes every candidate of a frame on one channel at a time: a
// stereo candidate's cost is the cost of its left half, which depends only on
// (left coefficient, left scale), plus that of its right half. Each channel's
// candidates run side by side in SIMD lanes; the frame's winner is then picked
// from the per-channel costs in the exact order and with the exact tie rules
// of the one-candidate-at-a-time search, so the bytes are the same.

using ea_kernel::kFrameSamples;
using ea_kernel::LaneJob;

namespace {

constexpr int kMonoFrameBytes = 15;
constexpr int kStereoFrameBytes = 30;
constexpr uint32_t kNoWinnerCost = 20000000;
constexpr uint32_t kOverflowPenalty = 1000000;
constexpr int kPredictingLanes = 39;  // coefficient index 1-3 x scale 0-12
// Stereo lanes coded per step of the schedule: four scales of three
// coefficient pairs, a whole number of vectors.
constexpr int kChunkLanes = 12;

// Below this many frames per half, handing one half to the helper thread
// costs more than it saves.
constexpr int64_t kMinFramesPerThread = 24;

inline float Reconstruct(float prediction, float delta) {
  return static_cast<float>(static_cast<double>(prediction) + static_cast<double>(delta));
}

EaAdpcmKernel DetectKernel() {
#if defined(EA_KERNEL_HAVE_AVX2) && defined(__GNUC__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return EaAdpcmKernel::kAvx2;
#endif
#if defined(__SSE2__)
  return EaAdpcmKernel::kSse2;
#else
  return EaAdpcmKernel::kScalar;
#endif
}

EaAdpcmKernel& ActiveKernel() {
  static EaAdpcmKernel kernel = DetectKernel();
  return kernel;
}

bool Wild(double value) { return !(value <= ea_kernel::kHistoryLimit && value >= -ea_kernel::kHistoryLimit); }

// Histories beyond the lane kernels' exact range come only from a caller's
// state, never from coding; such frames take the scalar kernel.
void RunLanes(const ea_kernel::Segment* segments, int count) {
  bool wild = false;
  for (int g = 0; g < count; ++g) wild = wild || Wild(segments[g].job->cur) || Wild(segments[g].job->prev);
  const EaAdpcmKernel kernel = wild ? EaAdpcmKernel::kScalar : ActiveKernel();
  switch (kernel) {
#if defined(EA_KERNEL_HAVE_AVX2)
    case EaAdpcmKernel::kAvx2:
      ea_kernel::RunLanesAvx2(segments, count);
      return;
#endif
#if defined(__SSE2__)
    case EaAdpcmKernel::kSse2:
      ea_kernel::RunLanesSse2(segments, count);
      return;
#endif
    default:
      ea_kernel::RunLanesScalar(segments, count);
      return;
  }
}

void ZeroPredictionCosts(const double* x, double* costs) {
  switch (ActiveKernel()) {
#if defined(EA_KERNEL_HAVE_AVX2)
    case EaAdpcmKernel::kAvx2:
      ea_kernel::ZeroPredictionCostsAvx2(x, costs);
      return;
#endif
#if defined(__SSE2__)
    case EaAdpcmKernel::kSse2:
      ea_kernel::ZeroPredictionCostsSse2(x, costs);
      return;
#endif
    default:
      ea_kernel::ZeroPredictionCostsScalar(x, costs);
      return;
  }
}

void SetLane(LaneJob& job, int lane, int k, int s) {
  const int step = 4096 >> s;
  job.c1[lane] = kEaCoef1[k];
  job.c2[lane] = kEaCoef2[k];
  job.step[lane] = step;
  job.inverse[lane] = 1.0 / step;
}

inline uint32_t LaneCost(const LaneJob& job, int lane) { return static_cast<uint32_t>(job.cost[lane]); }

inline int LaneCode(const LaneJob& job, int lane, int i) { return static_cast<int>(job.code[i][lane]) & 0x0F; }

// The earliest cheapest of the three lanes (coefficient indices 1-3) from
// base on. A lane that stopped early has reached the best cost at the time
// it was coded and cannot be part of a winner; when all three have, false.
bool CheapestOfScale(const LaneJob& job, int base, uint32_t& cost, int& lane) {
  bool found = false;
  for (int l = base; l < base + 3; ++l) {
    if (job.cost[l] == ea_kernel::kDropped) continue;
    const uint32_t c = LaneCost(job, l);
    if (!found || c < cost) {
      cost = c;
      lane = l;
      found = true;
    }
  }
  return found;
}

// One channel's samples of frame f, zero past the caller's count.
void LoadFrame(const int16_t* values, int64_t valueCount, int64_t firstValue, int stride, double* x) {
  for (int i = 0; i < kFrameSamples; ++i) {
    int64_t index = firstValue + static_cast<int64_t>(i) * stride;
    x[i] = index < valueCount ? values[index] : 0;
  }
}

// Highest scale whose largest positive delta still exceeds the frame's range
// over both channels.
int FloorScale(const double* left, const double* right) {
  double lo = left[0];
  double hi = left[0];
  for (int i = 0; i < kFrameSamples; ++i) {
    lo = left[i] < lo ? left[i] : lo;
    lo = right[i] < lo ? right[i] : lo;
    hi = left[i] > hi ? left[i] : hi;
    hi = right[i] > hi ? right[i] : hi;
  }
  const double range = hi - lo;
  for (int s = 12; s >= 0; --s) {
    if (DeltaTable()[s][7] > range) return s;
  }
  return 0;
}

}  // namespace

namespace {

// One lane by the scalar rules, with the cost summed in uint32 as the search
// defines it (this is also what wild histories rely on).
void CodeLane(LaneJob& job, int lane) {
  const float c1 = static_cast<float>(job.c1[lane]);
  const float c2 = static_cast<float>(job.c2[lane]);
  const int step = static_cast<int>(job.step[lane]);
  int scale = 0;
  while ((4096 >> scale) != step) ++scale;
  float cur = static_cast<float>(job.cur);
  float prev = static_cast<float>(job.prev);
  uint32_t cost = 0;
  for (int i = 0; i < kFrameSamples; ++i) {
    const float p = static_cast<float>(static_cast<double>(c1) * cur + static_cast<double>(c2) * prev);
    const int n = NearestCode(static_cast<int>(job.x[i]), TruncateHistory(p), scale, cost);
    const float delta = DeltaTable()[scale][n];
    job.code[i][lane] = n < 8 ? n : n - 16;
    prev = cur;
    cur = Reconstruct(p, delta);
  }
  job.cost[lane] = cost;
  job.endCur[lane] = cur;
  job.endPrev[lane] = prev;
}

}  // namespace

namespace ea_kernel {

void RunLanesScalar(const Segment* segments, int count) {
  for (int g = 0; g < count; ++g) {
    const int lastLane = segments[g].firstLane + (segments[g].lastLane - segments[g].firstLane + 3) / 4 * 4;
    for (int lane = segments[g].firstLane; lane < lastLane; ++lane) CodeLane(*segments[g].job, lane);
  }
}

void ZeroPredictionCostsScalar(const double* x, double* costs) {
  for (int s = 0; s <= 12; ++s) {
    uint32_t cost = 0;
    for (int i = 0; i < kFrameSamples; ++i) NearestCode(static_cast<int>(x[i]), 0, s, cost);
    costs[s] = cost;
  }
}

}  // namespace ea_kernel

void SelectEaAdpcmKernel(EaAdpcmKernel kernel) { ActiveKernel() = kernel; }

EaAdpcmKernel DetectedEaAdpcmKernel() { return DetectKernel(); }

int NearestCode(int sample, int prediction, int scale, uint32_t& cost) {
  const float* row = DeltaTable()[scale];
  const int d = sample - prediction;
  float best = 65536.0f;
  int code = 0;
  for (int n = 0; n < 16; ++n) {
    const float distance = static_cast<float>(d) - row[n];
    const float magnitude = distance < 0 ? -distance : distance;
    if (magnitude < best) {
      best = magnitude;
      code = n;
    }
  }
  const int e = d - static_cast<int>(row[code]);
  if (e < -32768 || e > 32767) cost += kOverflowPenalty;
  cost += e < 0 ? 0u - static_cast<uint32_t>(e) : static_cast<uint32_t>(e);
  return code;
}

uint8_t* EncodeEaAdpcmMono(const int16_t* samples, uint8_t* output, EaAdpcmState& state, int32_t byteCount) {
  if (byteCount <= 0) return output;
  const int64_t valueCount = byteCount / 2;
  const int64_t frames = (static_cast<int64_t>(byteCount) + 55) / 56;
  // Coefficient index 0 is costed apart; the lanes hold indices 1-3, three
  // to a scale so that a vector's lanes have similar costs and stop together.
  std::vector<LaneJob> storage(1);
  LaneJob& job = storage[0];
  for (int lane = 0; lane < kPredictingLanes + 1; ++lane) {
    SetLane(job, lane, 1 + lane % 3, lane < kPredictingLanes ? lane / 3 : 12);
  }
  float cur = static_cast<float>(state.current1);
  float prev = static_cast<float>(state.previous1);
  double zeroCosts[13];
  for (int64_t f = 0; f < frames; ++f) {
    LoadFrame(samples, valueCount, f * kFrameSamples, 1, job.x);
    job.cur = cur;
    job.prev = prev;
    ZeroPredictionCosts(job.x, zeroCosts);
    // In search order the first strictly smallest cost wins; the first
    // candidate (index 0, scale 0) stands in when none is below the limit.
    int bestK = 0;
    int bestS = 0;
    uint32_t bestCost = kNoWinnerCost;
    for (int s = 0; s <= 12; ++s) {
      const uint32_t cost = static_cast<uint32_t>(zeroCosts[s]);
      if (cost < bestCost) {
        bestCost = cost;
        bestS = s;
      }
    }
    // Every predicting candidate comes after those: reaching their best
    // cost is losing.
    const ea_kernel::Segment all = {&job, 0, kPredictingLanes, static_cast<double>(bestCost)};
    RunLanes(&all, 1);
    for (int k = 1; k <= 3; ++k) {
      for (int s = 0; s <= 12; ++s) {
        const int lane = s * 3 + k - 1;
        if (job.cost[lane] == ea_kernel::kDropped) continue;
        const uint32_t cost = LaneCost(job, lane);
        if (cost < bestCost) {
          bestCost = cost;
          bestK = k;
          bestS = s;
        }
      }
    }
    output[0] = static_cast<uint8_t>(bestK << 4 | bestS);
    if (bestK == 0) {
      uint32_t ignored = 0;
      int codes[kFrameSamples];
      for (int i = 0; i < kFrameSamples; ++i) codes[i] = NearestCode(static_cast<int>(job.x[i]), 0, bestS, ignored);
      for (int i = 0; i < 14; ++i) output[1 + i] = static_cast<uint8_t>(codes[2 * i] << 4 | codes[2 * i + 1]);
      // Nothing is predicted: the reconstructions are the deltas themselves.
      cur = DeltaTable()[bestS][codes[kFrameSamples - 1]];
      prev = DeltaTable()[bestS][codes[kFrameSamples - 2]];
    } else {
      const int best = bestS * 3 + bestK - 1;
      for (int i = 0; i < 14; ++i) {
        output[1 + i] = static_cast<uint8_t>(LaneCode(job, best, 2 * i) << 4 | LaneCode(job, best, 2 * i + 1));
      }
      cur = static_cast<float>(job.endCur[best]);
      prev = static_cast<float>(job.endPrev[best]);
    }
    output += kMonoFrameBytes;
  }
  state.current1 = TruncateHistory(cur);
  state.previous1 = TruncateHistory(prev);
  return output;
}

uint8_t* EncodeEaAdpcmStereo(const int16_t* samples, uint8_t* output, EaAdpcmState& state, int32_t byteCount) {
  if (byteCount <= 0) return output;
  const int64_t valueCount = byteCount / 2;
  const int64_t frames = (static_cast<int64_t>(byteCount) + 111) / 112;
  // Left lanes run scale 11 down to 0, right lanes 12 down to 0, three
  // coefficient indices (1-3) per scale; a frame uses a prefix of each.
  std::vector<LaneJob> storage(2);
  LaneJob& left = storage[0];
  LaneJob& right = storage[1];
  for (int i = 0; i < 13 * 3 + 1; ++i) {
    if (i < 12 * 3) SetLane(left, i, 1 + i % 3, 11 - i / 3);
    if (i < 13 * 3) SetLane(right, i, 1 + i % 3, 12 - i / 3);
  }
  SetLane(right, 13 * 3, 3, 0);  // padding lane for four-wide vectors
  float curL = static_cast<float>(state.current1);
  float prevL = static_cast<float>(state.previous1);
  float curR = static_cast<float>(state.current2);
  float prevR = static_cast<float>(state.previous2);
  for (int64_t f = 0; f < frames; ++f) {
    LoadFrame(samples, valueCount, f * 2 * kFrameSamples, 2, left.x);
    LoadFrame(samples, valueCount, f * 2 * kFrameSamples + 1, 2, right.x);
    const int h = FloorScale(left.x, right.x);
    // Scales the schedule can reach: right h and above, left h - 1 and above.
    const int leftLanes = (11 - (h > 0 ? h - 1 : 0) + 1) * 3;
    const int rightLanes = (12 - h + 1) * 3;
    left.cur = curL;
    left.prev = prevL;
    right.cur = curR;
    right.prev = prevR;
    // Lanes are coded in chunks of four scales, from the top, as the schedule
    // reaches them: the early stop usually leaves the lowest scales out.
    int codedLeft = 0;
    int codedRight = 0;

    uint32_t bestCost = kNoWinnerCost;
    int bestLeftScale = 0;  // no early stop before a candidate has won
    int bestLeft = 0;       // the first candidate stands in when none wins
    int bestRight = 0;
    int sl = 12;
    int sr = 12;
    for (bool lowerLeft = true;; lowerLeft = !lowerLeft) {
      if (lowerLeft) {
        if (sl == 0) break;
        --sl;
      } else {
        --sr;
      }
      if (sl < h && sr < h) break;
      const int leftBase = (11 - sl) * 3;
      const int rightBase = (12 - sr) * 3;
      if (leftBase >= codedLeft || rightBase >= codedRight) {
        // Until something has won, the first candidate must stay whole: it
        // is the one emitted when nothing does.
        const double bound = bestCost < kNoWinnerCost ? static_cast<double>(bestCost) : ea_kernel::kNoBound;
        ea_kernel::Segment chunks[2];
        int count = 0;
        if (codedLeft < leftLanes) {
          const int last = codedLeft + kChunkLanes < leftLanes ? codedLeft + kChunkLanes : leftLanes;
          chunks[count++] = {&left, codedLeft, last, bound};
          codedLeft = last;
        }
        if (codedRight < rightLanes) {
          const int last = codedRight + kChunkLanes < rightLanes ? codedRight + kChunkLanes : rightLanes;
          chunks[count++] = {&right, codedRight, last, bound};
          codedRight = last;
        }
        RunLanes(chunks, count);
      }
      // A candidate's cost is its left part plus its right part, so the
      // earliest cheapest of a pair's nine (right index outer, left inner)
      // joins the earliest cheapest left lane to the earliest cheapest right.
      uint32_t leftCost = 0;
      uint32_t rightCost = 0;
      int leftLane = 0;
      int rightLane = 0;
      if (CheapestOfScale(left, leftBase, leftCost, leftLane) &&
          CheapestOfScale(right, rightBase, rightCost, rightLane) && leftCost + rightCost < bestCost) {
        bestCost = leftCost + rightCost;
        bestLeftScale = sl;
        bestLeft = leftLane;
        bestRight = rightLane;
      }
      if (bestLeftScale > sl + 1) break;
    }
    const int kl = bestLeft % 3 + 1;
    const int kr = bestRight % 3 + 1;
    output[0] = static_cast<uint8_t>(kl << 4 | kr);
    output[1] = static_cast<uint8_t>((11 - bestLeft / 3) << 4 | (12 - bestRight / 3));
    for (int i = 0; i < kFrameSamples; ++i) {
      output[2 + i] = static_cast<uint8_t>(LaneCode(left, bestLeft, i) << 4 | LaneCode(right, bestRight, i));
    }
    output += kStereoFrameBytes;
    curL = static_cast<float>(left.endCur[bestLeft]);
    prevL = static_cast<float>(left.endPrev[bestLeft]);
    curR = static_cast<float>(right.endCur[bestRight]);
    prevR = static_cast<float>(right.endPrev[bestRight]);
  }
  state.current1 = TruncateHistory(curL);
  state.previous1 = TruncateHistory(prevL);
  state.current2 = TruncateHistory(curR);
  state.previous2 = TruncateHistory(prevR);
  return output;
}

namespace {

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
};

void EncodeHalf(const Half& half) {
  std::vector<int16_t> values(static_cast<size_t>(half.pairs));
  for (int64_t i = 0; i < half.pairs; ++i) values[static_cast<size_t>(i)] = half.pcm[2 * i + half.channel];
  EaAdpcmState state;
  state.current1 = *half.current;
  state.previous1 = *half.previous;
  EncodeEaAdpcmMono(values.data(), half.output, state, half.halfBytes);
  *half.current = state.current1;
  *half.previous = state.previous1;
}

// A helper thread that codes one half while the caller codes the other. It
// is started once and kept: the import codes a song block by block, and a
// thread per block would cost about as much as the half it codes. When the
// helper has not picked the half up by the time the caller is done with its
// own (a busy machine), the caller codes it itself, so handing over never
// costs more than a lock. The helper is never joined (the process ends with
// it parked), so its record is never destroyed either.
class HalfWorker {
 public:
  static HalfWorker* Get() {
    static HalfWorker* worker = Start();
    return worker;
  }

  // False when another caller has the helper; that caller codes alone.
  bool TryBegin(const Half& half) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (busy_) return false;
    busy_ = true;
    half_ = half;
    pending_ = true;
    wake_.notify_one();
    return true;
  }

  // Returns when the half is coded, by the helper or here. Rethrows what the
  // helper's run threw (an allocation failure).
  void Finish() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (pending_) {
      pending_ = false;
      busy_ = false;
      const Half half = half_;
      lock.unlock();
      EncodeHalf(half);
      return;
    }
    finished_.wait(lock, [this] { return !running_; });
    busy_ = false;
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  }

 private:
  static HalfWorker* Start() {
    HalfWorker* worker = new HalfWorker;
    try {
      std::thread(&HalfWorker::Run, worker).detach();
    } catch (const std::system_error&) {
      delete worker;
      return nullptr;
    }
    return worker;
  }

  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return pending_; });
      pending_ = false;
      running_ = true;
      const Half half = half_;
      lock.unlock();
      std::exception_ptr failure;
      try {
        EncodeHalf(half);
      } catch (...) {
        failure = std::current_exception();
      }
      lock.lock();
      failure_ = failure;
      running_ = false;
      finished_.notify_one();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable finished_;
  Half half_{};
  std::exception_ptr failure_;
  bool pending_ = false;  // handed over, not picked up yet
  bool running_ = false;  // being coded by the helper
  bool busy_ = false;     // between TryBegin and Finish
};

}  // namespace

uint8_t* EncodeEaAdpcm(const int16_t* pcm, uint8_t* output, EaAdpcmState& state, int32_t byteCount) {
  const StreamParams& params = Params();
  uint8_t* end = output;
  if (params.channels == 2 && (params.codecFlags & EA_ADPCM2)) {
    if (byteCount > 0) {
      const int64_t pairs = byteCount / 4;
      const int32_t halfBytes = byteCount / 2;
      const int64_t halfFrames = (static_cast<int64_t>(halfBytes) + 55) / 56;
      uint8_t* rightOut = output + halfFrames * kMonoFrameBytes;
      const Half left = {pcm, pairs, 0, output, &state.current1, &state.previous1, halfBytes};
      const Half right = {pcm, pairs, 1, rightOut, &state.current2, &state.previous2, halfBytes};
      // The halves are independent; the left one goes to the helper when
      // there is enough of it to pay for the hand-over.
      HalfWorker* worker = halfFrames >= kMinFramesPerThread ? HalfWorker::Get() : nullptr;
      if (worker != nullptr && worker->TryBegin(left)) {
        // The helper writes into the caller's buffers: it must be done
        // before this call returns or unwinds.
        std::exception_ptr failure;
        try {
          EncodeHalf(right);
        } catch (...) {
          failure = std::current_exception();
        }
        worker->Finish();
        if (failure) std::rethrow_exception(failure);
      } else {
        EncodeHalf(left);
        EncodeHalf(right);
      }
      end = rightOut + halfFrames * kMonoFrameBytes;
    }
  } else if (params.channels == 2) {
    end = EncodeEaAdpcmStereo(pcm, output, state, byteCount);
  } else {
    end = EncodeEaAdpcmMono(pcm, output, state, byteCount);
  }
  if (end <= output) Fatal("encoder returned no data. this is bug!");
  return end;
}
