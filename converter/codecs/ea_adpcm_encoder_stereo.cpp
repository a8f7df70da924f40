// The stereo search: for each frame, the schedule of the one-candidate-at-a-
// time search walks the scale pairs from the top, lowering the left and the
// right scale in turn; the lanes of both channels are coded in chunks as the
// schedule reaches them, and the walk ends as soon as no lower pair can win.
#include <algorithm>
#include <vector>

#include "converter/codecs/ea_adpcm_encoder.h"
#include "converter/codecs/ea_adpcm_encoder_search.h"

namespace {

using namespace ea_search;

// Stereo lanes coded per step of the schedule: four scales of three
// coefficient pairs, a whole number of vectors.
constexpr int kChunkLanes = 12;

// Left lanes run scale 11 down to 0, right lanes 12 down to 0, three
// coefficient indices (1-3) per scale; a frame uses a prefix of each.
struct StereoJobs {
  LaneJob left;
  LaneJob right;
  EaAdpcmKernel kernel;
};

void SetStereoLanes(StereoJobs& jobs) {
  for (int i = 0; i < 13 * 3 + 1; ++i) {
    if (i < 12 * 3) SetLane(jobs.left, i, 1 + i % 3, 11 - i / 3);
    if (i < 13 * 3) SetLane(jobs.right, i, 1 + i % 3, 12 - i / 3);
  }
  SetLane(jobs.right, 13 * 3, 3, 0);  // padding lane for four-wide vectors
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

// How far each channel's lanes are coded, and how far the schedule can reach
// this frame (right scale h and above, left h - 1 and above).
struct LaneProgress {
  int leftLanes;
  int rightLanes;
  int codedLeft = 0;
  int codedRight = 0;
};

LaneProgress ReachableLanes(int h) {
  return LaneProgress{(11 - (h > 0 ? h - 1 : 0) + 1) * 3, (12 - h + 1) * 3};
}

// The frame's best candidate so far; the first candidate stands in when none
// wins, and there is no early stop before a candidate has won.
struct Winner {
  uint32_t cost = kNoWinnerCost;
  int leftScale = 0;
  int leftLane = 0;
  int rightLane = 0;
};

// Codes the next chunk of each channel's reachable lanes. Until something
// has won, the first candidate must stay whole: it is the one emitted when
// nothing does.
void CodeNextChunks(StereoJobs& jobs, LaneProgress& progress, const Winner& winner) {
  const double bound = winner.cost < kNoWinnerCost ? static_cast<double>(winner.cost) : ea_kernel::kNoBound;
  ea_kernel::Segment chunks[2];
  int count = 0;
  if (progress.codedLeft < progress.leftLanes) {
    const int last = std::min(progress.codedLeft + kChunkLanes, progress.leftLanes);
    chunks[count++] = {&jobs.left, progress.codedLeft, last, bound};
    progress.codedLeft = last;
  }
  if (progress.codedRight < progress.rightLanes) {
    const int last = std::min(progress.codedRight + kChunkLanes, progress.rightLanes);
    chunks[count++] = {&jobs.right, progress.codedRight, last, bound};
    progress.codedRight = last;
  }
  RunLanes(jobs.kernel, chunks, count);
}

// A candidate's cost is its left part plus its right part, so the earliest
// cheapest of a scale pair's nine (right index outer, left inner) joins the
// earliest cheapest left lane to the earliest cheapest right.
void ConsiderScalePair(const StereoJobs& jobs, int sl, int sr, Winner& winner) {
  uint32_t leftCost = 0;
  uint32_t rightCost = 0;
  int leftLane = 0;
  int rightLane = 0;
  if (CheapestOfScale(jobs.left, (11 - sl) * 3, leftCost, leftLane) &&
      CheapestOfScale(jobs.right, (12 - sr) * 3, rightCost, rightLane) && leftCost + rightCost < winner.cost) {
    winner = Winner{leftCost + rightCost, sl, leftLane, rightLane};
  }
}

// Walks the scale pairs of one frame whose samples and histories are loaded.
Winner SearchFrame(StereoJobs& jobs) {
  const int h = FloorScale(jobs.left.x, jobs.right.x);
  LaneProgress progress = ReachableLanes(h);
  Winner winner;
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
    // Lanes are coded in chunks of four scales, from the top, as the schedule
    // reaches them: the early stop usually leaves the lowest scales out.
    if ((11 - sl) * 3 >= progress.codedLeft || (12 - sr) * 3 >= progress.codedRight) {
      CodeNextChunks(jobs, progress, winner);
    }
    ConsiderScalePair(jobs, sl, sr, winner);
    if (winner.leftScale > sl + 1) break;
  }
  return winner;
}

uint8_t* WriteStereoFrame(const StereoJobs& jobs, const Winner& winner, uint8_t* output) {
  const int kl = winner.leftLane % 3 + 1;
  const int kr = winner.rightLane % 3 + 1;
  output[0] = static_cast<uint8_t>(kl << 4 | kr);
  output[1] = static_cast<uint8_t>((11 - winner.leftLane / 3) << 4 | (12 - winner.rightLane / 3));
  for (int i = 0; i < kFrameSamples; ++i) {
    output[2 + i] =
        static_cast<uint8_t>(LaneCode(jobs.left, winner.leftLane, i) << 4 | LaneCode(jobs.right, winner.rightLane, i));
  }
  return output + kStereoFrameBytes;
}

}  // namespace

uint8_t* EncodeEaAdpcmStereo(const int16_t* samples, uint8_t* output, EaAdpcmState& state, int32_t byteCount,
                             EaAdpcmKernel kernel) {
  if (byteCount <= 0) return output;
  const int64_t valueCount = byteCount / 2;
  const int64_t frames = (static_cast<int64_t>(byteCount) + 111) / 112;
  std::vector<StereoJobs> storage(1);
  StereoJobs& jobs = storage[0];
  SetStereoLanes(jobs);
  jobs.kernel = kernel;
  float curL = static_cast<float>(state.current1);
  float prevL = static_cast<float>(state.previous1);
  float curR = static_cast<float>(state.current2);
  float prevR = static_cast<float>(state.previous2);
  for (int64_t f = 0; f < frames; ++f) {
    LoadFrame(samples, valueCount, f * 2 * kFrameSamples, 2, jobs.left.x);
    LoadFrame(samples, valueCount, f * 2 * kFrameSamples + 1, 2, jobs.right.x);
    jobs.left.cur = curL;
    jobs.left.prev = prevL;
    jobs.right.cur = curR;
    jobs.right.prev = prevR;
    const Winner winner = SearchFrame(jobs);
    output = WriteStereoFrame(jobs, winner, output);
    curL = static_cast<float>(jobs.left.endCur[winner.leftLane]);
    prevL = static_cast<float>(jobs.left.endPrev[winner.leftLane]);
    curR = static_cast<float>(jobs.right.endCur[winner.rightLane]);
    prevR = static_cast<float>(jobs.right.endPrev[winner.rightLane]);
  }
  state.current1 = TruncateHistory(curL);
  state.previous1 = TruncateHistory(prevL);
  state.current2 = TruncateHistory(curR);
  state.previous2 = TruncateHistory(prevR);
  return output;
}
