#include "long_stream.h"

#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

void WriteLongStereoStream(const std::string& path, double minutes) {
  const int framesPerBlock = 28;
  const int blocks = static_cast<int>(minutes * 60 * 22050 / (28 * framesPerBlock)) + 1;
  std::vector<uint8_t> file;
  const uint8_t header[] = {'S', 'C', 'H', 'l', 32, 0, 0, 0, 'P', 'T', 0, 0, 0xFD, 0x82, 1, 2,
                            0x83, 1, 7, 0x84, 2, 0x56, 0x22, 0x85, 4, 0, 0, 0, 0, 0x8A, 0, 0xFF};
  file.insert(file.end(), header, header + sizeof header);
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
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return;
  std::fwrite(file.data(), 1, file.size(), out);
  std::fclose(out);
}
