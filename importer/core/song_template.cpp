#include "importer/core/song_template.h"

#include <algorithm>

#include "common/base/ascii.h"
#include "importer/core/byte_source.h"

namespace tunegrab {

namespace {

std::string Lower(const std::string& s) { return kickora::AsciiLower(s); }

}  // namespace

bool ReadSongTemplate(const std::vector<uint8_t>& file, SongTemplate& out) {
  out = SongTemplate{};
  // An SCHl stream with a "PT" header (read by the converter, as its import
  // reads it) and a data block behind it.
  tonepak::StreamLayout layout;
  if (!tonepak::ReadStreamLayout(file, layout) || !layout.schl || layout.header.empty() || !layout.hasDataBlock)
    return false;
  // The header block must lie inside the file (it holds at least "SCHl", its
  // size and a data block's tag, so the size field is there to read).
  const uint32_t headerEnd = U32LE(file.data() + 4);
  if (headerEnd < 12 || headerEnd > file.size()) return false;
  if ((layout.channels != 1 && layout.channels != 2) || layout.rate < 8000 || layout.rate > 48000) return false;
  out.channels = layout.channels;
  out.rate = layout.rate;
  out.split = layout.split;
  out.header = layout.header;
  out.header.resize((out.header.size() + 3) / 4 * 4, 0);
  // The import's block sizes: the first regular one is the template's rhythm.
  const int64_t regularBytes = layout.blockBytes.empty() ? tonepak::kDefaultBlockBytes : layout.blockBytes.front();
  out.blockFrames = std::max<int64_t>(regularBytes / (2 * out.channels) / kSamplesPerFrame, 1) * kSamplesPerFrame;
  return true;
}

SongTemplate BuiltInTemplate() {
  static const uint8_t kHeader[] = {'P',  'T',  0,    0,    0xFD, 0x82, 0x01, 0x02, 0x83, 0x01, 0x07, 0x84,
                                    0x02, 0x56, 0x22, 0x85, 0x04, 0x00, 0x00, 0x00, 0x01, 0x8A, 0x00, 0xFF};
  SongTemplate t;
  t.header.assign(kHeader, kHeader + sizeof kHeader);
  t.channels = 2;
  t.rate = 22050;
  t.blockFrames = tonepak::kDefaultBlockBytes / 4;
  return t;
}

std::vector<std::string> TemplateCandidates(std::vector<std::string> names) {
  std::vector<std::string> out;
  for (auto& name : names) {
    if (name.size() <= 4 || name[0] == '1' || Lower(name.substr(name.size() - 4)) != ".str") continue;
    out.push_back(name);
  }
  std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); });
  return out;
}

std::vector<int64_t> SongBlockFrames(int64_t samples, int64_t regularFrames) {
  const int64_t total = (samples + kSamplesPerFrame - 1) / kSamplesPerFrame;  // frames of 28 samples
  const int64_t regular = std::max<int64_t>(regularFrames / kSamplesPerFrame, 1);
  std::vector<int64_t> blocks;
  if (total <= 0) return blocks;
  if (total <= regular) return {total * kSamplesPerFrame};
  if (total % regular == 0) return std::vector<int64_t>(static_cast<size_t>(total / regular), regular * kSamplesPerFrame);
  // An import that later takes this song as its original reads a last size
  // smaller than the first as the end of the audio, not its rhythm, so the
  // first is never larger than the last: both take about half of what is
  // left beside the regular blocks.
  const int64_t full = total / regular - 1;
  const int64_t rest = total - full * regular;
  blocks.push_back(rest / 2 * kSamplesPerFrame);
  blocks.insert(blocks.end(), static_cast<size_t>(full), regular * kSamplesPerFrame);
  blocks.push_back((rest - rest / 2) * kSamplesPerFrame);
  return blocks;
}

tonepak::StreamLayout SongLayout(const SongTemplate& t, int64_t samples) {
  tonepak::StreamLayout layout;
  layout.header = t.header;
  for (int64_t frames : SongBlockFrames(samples, t.blockFrames))
    layout.blockBytes.push_back(static_cast<int32_t>(frames * 2 * t.channels));
  return layout;
}

}  // namespace tunegrab
