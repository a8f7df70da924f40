#include "manager/core/WavLayout.h"

#include <algorithm>

namespace {

bool PlayableFormat(const WavLayout& w) {
  if (w.coding != kickora::kWavPcm || w.extensible) return false;
  if (w.channels < 1 || w.channels > 8) return false;
  if (w.rate < 1000 || w.rate > 384000) return false;
  if (w.bits != 8 && w.bits != 16 && w.bits != 24 && w.bits != 32) return false;
  return w.blockAlign == w.channels * (w.bits / 8) && w.byteRate == w.rate * w.blockAlign;
}

}  // namespace

std::optional<WavLayout> FindWavLayout(const std::vector<uint8_t>& head, uint64_t fileSize) {
  if (fileSize < head.size()) return std::nullopt;
  kickora::InMemorySource source(head, fileSize);
  WavLayout layout;
  if (kickora::ReadWavChunks(source, layout, PlayableFormat) != kickora::WavProblem::kNone) return std::nullopt;
  const uint64_t bytes = std::min<uint64_t>(layout.dataSize, layout.dataAvailable);
  layout.dataBytes = bytes - bytes % layout.blockAlign;
  return layout;
}
