#include "wav_reading.h"

#include <algorithm>
#include <cmath>
#include <string>

ParsedWav ParseWav(const Bytes& bytes) {
  ParsedWav wav;
  for (size_t pos = 12; pos + 8 <= bytes.size();) {
    std::string tag(bytes.begin() + static_cast<long>(pos), bytes.begin() + static_cast<long>(pos) + 4);
    uint32_t size = U32At(bytes, pos + 4);
    if (tag == "fmt " && pos + 16 <= bytes.size()) {
      wav.channels = U16At(bytes, pos + 10);
      wav.rate = static_cast<int>(U32At(bytes, pos + 12));
    } else if (tag == "data") {
      size = std::min<uint32_t>(size, static_cast<uint32_t>(bytes.size() - pos - 8));
      wav.samples = SamplesOf(Bytes(bytes.begin() + static_cast<long>(pos) + 8,
                                    bytes.begin() + static_cast<long>(pos) + 8 + size));
      break;
    }
    pos += 8 + size + (size & 1);
  }
  return wav;
}

double SnrDb(const std::vector<int16_t>& reference, const std::vector<int16_t>& other) {
  double signal = 0, noise = 0;
  for (size_t i = 0; i < std::min(reference.size(), other.size()); ++i) {
    double d = static_cast<double>(reference[i]) - other[i];
    signal += static_cast<double>(reference[i]) * reference[i];
    noise += d * d;
  }
  return noise == 0 ? 200.0 : 10 * std::log10(signal / noise);
}
