// Export speed: a long stereo SCHl stream decoded to WAV in-process, the
// same work as `tonepak stream.asf` without the process start-up.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "converter/api/tonepak_api.h"
#include "long_stream.h"

namespace {

void BM_ExportTenMinuteStereoStream(benchmark::State& state) {
  namespace fs = std::filesystem;
  std::string stream = (fs::temp_directory_path() / "kickora_bench_stream.asf").string();
  WriteLongStereoStream(stream, 10);
  tonepak::ExportRequest request;
  request.musicFile = stream;
  for (auto _ : state) {
    // The block counter stays in the result; nothing reaches the report.
    benchmark::DoNotOptimize(tonepak::Export(request).ok());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(stream)));
  fs::remove(stream);
  fs::remove(fs::path(stream).replace_extension(".wav"));
}

}  // namespace

BENCHMARK(BM_ExportTenMinuteStereoStream)->Unit(benchmark::kMillisecond);
