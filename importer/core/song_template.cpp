#include "importer/core/song_template.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "importer/core/byte_source.h"

namespace tunegrab {

namespace {

constexpr size_t kMaxHeaderBytes = 996;  // what the converter's header copy holds behind "SCHl" and its size
constexpr size_t kMaxBlocks = 100000;

struct HeaderValues {
  uint32_t channels = 1;
  uint32_t rate = 22050;
  bool split = false;
};

// Reads the "PT" list's channel and rate fields and the EA_ADPCM2 marker.
bool ReadFieldList(const uint8_t* p, size_t size, HeaderValues& v) {
  if (size < 4 || std::memcmp(p, "PT\0", 3) != 0) return false;
  size_t at = 4;
  bool inSound = false;
  while (at < size) {
    uint8_t t = p[at++];
    if (!inSound) {
      if (t == 0xFC) continue;
      if (t == 0xFE || t == 0xFF) return true;
      if (t == 0xFD) {
        inSound = true;
        continue;
      }
      if (t == 0x0B) v.split = true;
      if (at >= size) return false;
      size_t length = p[at++];
      if (length == 0xFF) length += 4;
      at += length;
      continue;
    }
    if (t == 0xFF) return true;
    if (at >= size) return false;
    size_t length = p[at++];
    if (at + length > size) return false;
    uint32_t value = 0;
    for (size_t i = 0; i < length; ++i) value = value << 8 | p[at + i];
    at += length;
    if (t == 0x82) v.channels = value;
    if (t == 0x84) v.rate = value;
    if (t == 0x8A) inSound = false;
  }
  return false;
}

// PCM bytes a data block's count field stands for, as the import reads it.
int64_t BlockBytes(int64_t count, const SongTemplate& t) {
  if (!t.split && t.channels == 1) return count / 15 * 56;
  return 2 * t.channels * count;
}

void Append(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}
void AppendU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

bool ReadSongTemplate(const std::vector<uint8_t>& file, SongTemplate& out) {
  out = SongTemplate{};
  if (file.size() < 16 || std::memcmp(file.data(), "SCHl", 4) != 0 || std::memcmp(file.data() + 8, "PT\0\0", 4) != 0)
    return false;
  const uint32_t headerEnd = U32LE(file.data() + 4);
  if (headerEnd < 12 || headerEnd > file.size() || headerEnd - 8 > kMaxHeaderBytes) return false;
  HeaderValues values;
  if (!ReadFieldList(file.data() + 8, headerEnd - 8, values)) return false;
  if ((values.channels != 1 && values.channels != 2) || values.rate < 8000 || values.rate > 48000) return false;
  out.channels = static_cast<int>(values.channels);
  out.rate = static_cast<int>(values.rate);
  out.split = values.split;
  out.header.assign(file.begin() + 8, file.begin() + headerEnd);
  out.header.resize((out.header.size() + 3) / 4 * 4, 0);

  // The block sizes the import would collect: every data block but the
  // first, a short last one left out.
  std::vector<int64_t> sizes;
  size_t blocks = 0;
  size_t at = headerEnd;
  while (at + 8 <= file.size() && sizes.size() < kMaxBlocks) {
    const uint8_t* chunk = file.data() + at;
    uint32_t size = U32LE(chunk + 4);
    if (std::memcmp(chunk, "SCEl", 4) == 0 || size < 8 || size > file.size() - at) break;
    if (std::memcmp(chunk, "SCDl", 4) == 0) {
      if (at + 12 > file.size()) break;
      int64_t bytes = BlockBytes(U32LE(chunk + 8), out);
      if (blocks++ > 0 && bytes > 0) sizes.push_back(bytes);
    }
    at += size;
  }
  if (blocks == 0) return false;
  if (sizes.size() >= 3 && sizes.back() < sizes.front()) sizes.pop_back();
  const int64_t regularBytes = sizes.empty() ? kDefaultBlockBytes : sizes.front();
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
  t.blockFrames = kDefaultBlockBytes / 4;
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
  // The import drops a last size smaller than the first, so the first is
  // never larger than the last: both take about half of what is left
  // beside the regular blocks.
  const int64_t full = total / regular - 1;
  const int64_t rest = total - full * regular;
  blocks.push_back(rest / 2 * kSamplesPerFrame);
  blocks.insert(blocks.end(), static_cast<size_t>(full), regular * kSamplesPerFrame);
  blocks.push_back((rest - rest / 2) * kSamplesPerFrame);
  return blocks;
}

std::vector<uint8_t> BuildLayoutOriginal(const SongTemplate& t, int64_t samples) {
  const std::vector<int64_t> blocks = SongBlockFrames(samples, t.blockFrames);
  std::vector<uint8_t> out;
  Append(out, "SCHl");
  AppendU32(out, static_cast<uint32_t>(8 + t.header.size()));
  for (uint8_t b : t.header) out.push_back(b);
  Append(out, "SCCl");
  AppendU32(out, 12);
  AppendU32(out, static_cast<uint32_t>(blocks.size() + 1));
  // The first block's count is not read by the import.
  Append(out, "SCDl");
  AppendU32(out, 12);
  AppendU32(out, 0);
  for (int64_t frames : blocks) {
    // Count fields: coded bytes for plain mono (15 per 28 samples), else
    // samples per channel.
    const int64_t count = (!t.split && t.channels == 1) ? frames / kSamplesPerFrame * 15 : frames;
    Append(out, "SCDl");
    AppendU32(out, 12);
    AppendU32(out, static_cast<uint32_t>(count));
  }
  Append(out, "SCEl");
  AppendU32(out, 8);
  return out;
}

}  // namespace tunegrab
