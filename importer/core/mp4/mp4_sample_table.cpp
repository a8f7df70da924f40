#include "importer/core/mp4/mp4_sample_table.h"

#include <string>

namespace tunegrab {

namespace {

Outcome Damaged(const char* why) { return Outcome::Fail(std::string("The MP4 file is damaged: ") + why, Failure::Damaged); }

// A table box: version and flags, skip more bytes, a 32-bit entry count,
// then entries of entryBytes each, all of them inside the box.
bool ReadTable(ByteSource& source, const Mp4Box& stbl, uint32_t type, uint64_t skip, size_t entryBytes, std::vector<uint8_t>& head,
               std::vector<uint8_t>& entries, uint32_t& count) {
  Mp4Box box;
  const uint64_t countAt = 4 + skip;
  if (!FindChild(source, stbl, type, box) || box.size < countAt + 4) return false;
  head.resize(static_cast<size_t>(countAt + 4));
  if (!source.ReadExactAt(box.payload, head.data(), head.size())) return false;
  count = U32BE(head.data() + countAt);
  if (count > kMaxMp4Packets || static_cast<uint64_t>(count) * entryBytes > box.size - countAt - 4) return false;
  entries.resize(static_cast<size_t>(count) * entryBytes);
  return source.ReadExactAt(box.payload + countAt + 4, entries.data(), entries.size());
}

}  // namespace

Outcome ReadMp4SampleTable(ByteSource& source, const Mp4Box& stbl, Mp4AudioTrack& track) {
  std::vector<uint8_t> head, sizes, chunks, offsets, times;
  uint32_t samples = 0, chunkRuns = 0, chunkCount = 0, timeRuns = 0;
  // stsz: a size for all (then no entries) or one per packet.
  Mp4Box stsz;
  if (!FindChild(source, stbl, FourCc("stsz"), stsz) || stsz.size < 12) return Damaged("its packet sizes are missing.");
  uint8_t sizeHead[12];
  if (!source.ReadExactAt(stsz.payload, sizeHead, 12)) return Damaged("its packet sizes are missing.");
  const uint32_t commonSize = U32BE(sizeHead + 4);
  if (commonSize != 0) {
    samples = U32BE(sizeHead + 8);
    if (samples > kMaxMp4Packets) return Outcome::Fail("The song is longer than 30 minutes.");
  } else if (!ReadTable(source, stbl, FourCc("stsz"), 4, 4, head, sizes, samples)) {
    return Damaged("its packet sizes do not fit in it.");
  }
  if (!ReadTable(source, stbl, FourCc("stsc"), 0, 12, head, chunks, chunkRuns))
    return Damaged("its packets' grouping is missing.");
  size_t offsetBytes = 4;
  if (!ReadTable(source, stbl, FourCc("stco"), 0, 4, head, offsets, chunkCount)) {
    offsetBytes = 8;
    if (!ReadTable(source, stbl, FourCc("co64"), 0, 8, head, offsets, chunkCount))
      return Damaged("its packets' places are missing.");
  }
  if (!ReadTable(source, stbl, FourCc("stts"), 0, 8, head, times, timeRuns)) return Damaged("its packets' durations are missing.");

  track.duration = 0;
  for (uint32_t i = 0; i < timeRuns; ++i) {
    const uint64_t run = static_cast<uint64_t>(U32BE(&times[i * 8])) * U32BE(&times[i * 8 + 4]);
    track.duration = track.duration + run < track.duration ? UINT64_MAX : track.duration + run;
  }

  // Chunk runs: the first chunk (from 1, rising) from which each run's
  // packets-per-chunk count holds.
  const uint64_t fileSize = source.Size();
  track.packets.clear();
  track.packets.reserve(samples);
  uint32_t run = 0, perChunk = 0;
  for (uint32_t chunk = 0; chunk < chunkCount && track.packets.size() < samples; ++chunk) {
    while (run < chunkRuns && U32BE(&chunks[run * 12]) <= chunk + 1) {
      const uint32_t first = U32BE(&chunks[run * 12]);
      if (first == 0 || (run > 0 && first <= U32BE(&chunks[(run - 1) * 12]))) return Damaged("its packets' grouping makes no sense.");
      perChunk = U32BE(&chunks[run * 12 + 4]);
      ++run;
    }
    uint64_t offset = offsetBytes == 4 ? U32BE(&offsets[chunk * 4]) : U64BE(&offsets[chunk * 8]);
    for (uint32_t k = 0; k < perChunk && track.packets.size() < samples; ++k) {
      const uint32_t size = commonSize != 0 ? commonSize : U32BE(&sizes[track.packets.size() * 4]);
      if (size == 0) return Damaged("a packet is empty.");
      if (offset > fileSize || size > fileSize - offset) return Outcome{};  // a cut-off file ends here
      track.packets.push_back(Mp4Packet{offset, size});
      offset += size;
    }
  }
  return Outcome{};
}

}  // namespace tunegrab
