// libFuzzer target: any bytes as a music file through the whole export
// (streams, banks, archives), in a scratch folder, console output dropped.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "converter/tonepak.h"

namespace {

struct Scratch {
  std::filesystem::path folder;
  Scratch() {
    folder = std::filesystem::temp_directory_path() / ("kickora_fuzz_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    close(null);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Scratch scratch;
  FILE* file = std::fopen("input.bin", "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  // The first byte picks a forced mode (0: none), the rest is the file.
  std::string program = "tonepak", input = "input.bin", mode = std::to_string(size ? data[0] % 8 : 0), out = ".";
  char* withMode[] = {program.data(), input.data(), mode.data(), out.data(), nullptr};
  char* plain[] = {program.data(), input.data(), nullptr};
  if (size && data[0] % 8) RunTonepak(4, withMode);
  else RunTonepak(2, plain);
  return 0;
}
