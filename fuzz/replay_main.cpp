// Runs a fuzz target over saved inputs without libFuzzer, so that the normal
// (and the sanitizer) test runs replay the corpus and every reproducer.
// Arguments: files or folders; a folder stands for every file in it.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    fs::path given = argv[i];
    if (fs::is_directory(given)) {
      for (const auto& entry : fs::directory_iterator(given))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    } else if (fs::is_regular_file(given)) {
      inputs.push_back(given);
    } else {
      std::fprintf(stderr, "no such input: %s\n", argv[i]);
      return 2;
    }
  }
  for (const fs::path& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "replaying %s\n", input.filename().string().c_str());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::fprintf(stderr, "%zu inputs replayed\n", inputs.size());
  return inputs.empty() ? 2 : 0;
}
