// Export speed: a long stereo SCHl stream decoded to WAV in-process, the
// same work as `tonepak stream.asf` without the process start-up.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "converter/tonepak.h"
#include "long_stream.h"

namespace {

void BM_ExportTenMinuteStereoStream(benchmark::State& state) {
  namespace fs = std::filesystem;
  std::string stream = (fs::temp_directory_path() / "kickora_bench_stream.asf").string();
  WriteLongStereoStream(stream, 10);
  std::string argument0 = "tonepak";
  for (auto _ : state) {
    // The block counter goes to the console; keep it off the report.
    std::fflush(stdout);
    int saved = dup(1);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    char* argv[] = {argument0.data(), stream.data(), nullptr};
    benchmark::DoNotOptimize(RunTonepak(2, argv));
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    close(null);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(stream)));
  fs::remove(stream);
  fs::remove(fs::path(stream).replace_extension(".wav"));
}

}  // namespace

BENCHMARK(BM_ExportTenMinuteStereoStream)->Unit(benchmark::kMillisecond);
