// Export speed: a long stereo SCHl stream decoded to WAV in-process, the
// same work as `tonepak stream.asf` without process start-up.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "converter/tonepak.h"

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A stereo EA ADPCM stream of the given length: SCHl, SCCl, SCDl blocks of
// 28 frames each (random codes, moderate scales), SCEl.
std::string WriteLongStream(int seconds) {
  const int sampleRate = 22050;
  const int framesPerBlock = 28;
  const int blocks = seconds * sampleRate / (28 * framesPerBlock) + 1;
  std::vector<uint8_t> file;
  const uint8_t header[] = {'S', 'C', 'H', 'l', 28, 0, 0, 0, 'P', 'T', 0, 0, 0xFD, 0x82, 1, 2,
                            0x84, 2, 0x56, 0x22, 0x85, 4, 0, 0, 0, 0, 0x8A, 0};
  file.insert(file.end(), header, header + sizeof header);
  file.push_back(0xFF);
  while (file.size() % 4) file.push_back(0);
  file[4] = static_cast<uint8_t>(file.size());
  file.insert(file.end(), {'S', 'C', 'C', 'l', 12, 0, 0, 0});
  Put32(file, static_cast<uint32_t>(blocks));
  std::mt19937 random(1);
  for (int b = 0; b < blocks; ++b) {
    file.insert(file.end(), {'S', 'C', 'D', 'l'});
    Put32(file, 20 + 30 * framesPerBlock);
    Put32(file, 28 * framesPerBlock);
    for (int i = 0; i < 8; ++i) file.push_back(0);
    for (int f = 0; f < framesPerBlock; ++f) {
      file.push_back(0x23);
      file.push_back(0x66);
      for (int i = 0; i < 28; ++i) file.push_back(static_cast<uint8_t>(random()));
    }
  }
  file.insert(file.end(), {'S', 'C', 'E', 'l', 8, 0, 0, 0});
  std::string path = (std::filesystem::temp_directory_path() / "kickora_bench_stream.str").string();
  FILE* out = std::fopen(path.c_str(), "wb");
  std::fwrite(file.data(), 1, file.size(), out);
  std::fclose(out);
  return path;
}

void BM_ExportTenMinuteStereoStream(benchmark::State& state) {
  std::string stream = WriteLongStream(600);
  std::string folder = (std::filesystem::temp_directory_path() / "kickora_bench_out").string();
  std::filesystem::create_directories(folder);
  std::string argument0 = "tonepak";
  for (auto _ : state) {
    // The converter prints a block counter per block; keep it off the
    // benchmark's console.
    std::fflush(stdout);
    int saved = dup(1);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    char* argv[] = {argument0.data(), stream.data(), folder.data(), nullptr};
    benchmark::DoNotOptimize(RunTonepak(3, argv));
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    close(null);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(std::filesystem::file_size(stream)));
}

}  // namespace

BENCHMARK(BM_ExportTenMinuteStereoStream)->Unit(benchmark::kMillisecond);
