// Encoder speed, reported as seconds of coding per minute of 44,100 Hz audio
// (the "s_per_audio_min" counter): the reference search against the encoder
// the import uses, for mono, interleaved stereo and split stereo.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "bench/song.h"
#include "converter/codecs/ea_adpcm_encoder.h"
#include "converter/codecs/ea_adpcm_encoder_helper.h"
#include "converter/codecs/ea_adpcm_encoder_kernels.h"
#include "tests/converter/ea_adpcm_encoder_reference.h"

namespace {

enum Layout { kMono, kStereo, kSplit };

int Channels(Layout layout) { return layout == kMono ? 1 : 2; }

void Report(benchmark::State& state, double seconds) {
  state.counters["s_per_audio_min"] =
      benchmark::Counter(seconds / 60.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Reference(benchmark::State& state, Layout layout) {
  const double seconds = 4;
  std::vector<int16_t> pcm = Song(seconds, Channels(layout));
  std::vector<uint8_t> out(pcm.size() + 256);
  const int32_t bytes = static_cast<int32_t>(pcm.size() * 2);
  for (auto _ : state) {
    EaAdpcmState history;
    benchmark::DoNotOptimize(
        reference::Encode(pcm.data(), out.data(), history, bytes, Channels(layout), layout == kSplit));
    benchmark::ClobberMemory();
  }
  Report(state, seconds);
}

// blockBytes 0 codes the whole song in one call (a bank sample); otherwise
// the song is coded block by block as a stream import does.
void BM_Fast(benchmark::State& state, Layout layout, int32_t blockBytes,
             EaAdpcmKernel kernel = DetectedEaAdpcmKernel()) {
  const double seconds = 60;
  std::vector<int16_t> pcm = Song(seconds, Channels(layout));
  std::vector<uint8_t> out(pcm.size() + 256);
  const int32_t bytes = static_cast<int32_t>(pcm.size() * 2);
  // Split stereo with a helper thread, as an import codes it.
  const std::unique_ptr<EncoderHelper> helper = layout == kSplit ? EncoderHelper::Start() : nullptr;
  const EaAdpcmLayout coding{Channels(layout), layout == kSplit, kernel, helper.get()};
  const int32_t step = blockBytes > 0 ? blockBytes : bytes;
  for (auto _ : state) {
    EaAdpcmState history;
    uint8_t* end = out.data();
    for (int32_t done = 0; done < bytes; done += step) {
      end = EncodeEaAdpcm(pcm.data() + done / 2, end, history, std::min(step, bytes - done), coding);
    }
    benchmark::DoNotOptimize(end);
    benchmark::ClobberMemory();
  }
  Report(state, seconds);
}

// The same encoder held to one kernel: what CPUs without AVX2 and FMA get.
void BM_Kernel(benchmark::State& state, Layout layout, EaAdpcmKernel kernel) {
  BM_Fast(state, layout, 0, kernel);
}

BENCHMARK_CAPTURE(BM_Reference, mono, kMono)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK_CAPTURE(BM_Reference, stereo, kStereo)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK_CAPTURE(BM_Reference, split, kSplit)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK_CAPTURE(BM_Fast, mono, kMono, 0)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK_CAPTURE(BM_Fast, stereo, kStereo, 0)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK_CAPTURE(BM_Fast, split, kSplit, 0)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
// Stream blocks of 5,936 PCM bytes per channel pair, as a stereo import codes.
BENCHMARK_CAPTURE(BM_Fast, stereo_blocks, kStereo, 5936 * 2)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK_CAPTURE(BM_Fast, split_blocks, kSplit, 5936 * 2)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
#if defined(__SSE2__)
BENCHMARK_CAPTURE(BM_Kernel, mono_sse2, kMono, EaAdpcmKernel::kSse2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Kernel, stereo_sse2, kStereo, EaAdpcmKernel::kSse2)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif
BENCHMARK_CAPTURE(BM_Kernel, stereo_scalar, kStereo, EaAdpcmKernel::kScalar)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace
