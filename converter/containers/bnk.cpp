#include "converter/containers/bnk.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "converter/containers/stream_decode.h"
#include "converter/containers/stream_header.h"
#include "converter/containers/wav.h"
#include "converter/context/context.h"
#include "converter/support/fatal.h"
#include "converter/support/file_io.h"
#include "converter/support/messages.h"

namespace {

// Where the sample table starts for a bank version; fatal for versions the
// bank layout is unknown for.
long TableStart(uint16_t version) {
  if (version == 2) return 12;
  if (version == 4) return 20;
  Fatal("unknown %d", version);
}

// Bytes a decoder may touch behind the data for count, whatever the codec
// and channel count: stereo UNCOMP_OLD reads four bytes per count, stereo
// EA_ADPCM rounds up to whole 30-byte frames.
size_t DecoderInputBytes(int32_t count) { return 4 * static_cast<size_t>(count) + 64; }
// The most PCM any codec makes of count: EA_ADPCM2 stereo makes about 7.5
// bytes per count, a stereo EA_ADPCM frame 112 bytes from a count of 1.
size_t DecoderOutputBytes(int32_t count) { return 10 * static_cast<size_t>(count) + 256; }

// The EA_ADPCM2 stereo decoder interleaves both channels through a buffer of
// kScratchBytes; a count whose output would not fit it is cut down to one
// that does.
int32_t LimitForScratch(const StreamParams& params, int32_t count) {
  if (!(params.codecFlags & EA_ADPCM2) || (params.codecFlags & IMA_ADPCM) || params.channels != 2) return count;
  // Each channel makes 56 bytes per 15-byte frame of count.
  const int32_t limit = static_cast<int32_t>(kScratchBytes / (2 * 56) * 15);
  return std::min(count, limit);
}

// Slots may share one sample's data, so a small bank could otherwise write
// its audio thousands of times over: all the WAV files together hold at most
// this many PCM bytes per bank byte (no codec makes more than 8 of 1).
constexpr uint64_t kPcmBytesPerBankByte = 16;
constexpr uint64_t kPcmBytesBeyondBank = 1 << 20;

struct SampleData {
  std::vector<uint8_t> input;
  int32_t count = 0;  // bytes that exist at the data offset, at most length
};

// Reads at most length bytes of the bank from dataOffset; what lies beyond
// the end of the bank is not decoded.
SampleData ReadSampleData(const StreamParams& params, FILE* bank, long bankSize, int32_t dataOffset, int32_t length) {
  SampleData data;
  int64_t available = 0;
  if (dataOffset >= 0 && dataOffset < bankSize) available = bankSize - static_cast<int64_t>(dataOffset);
  data.count = static_cast<int32_t>(std::clamp<int64_t>(length, 0, available));
  data.count = LimitForScratch(params, data.count);
  data.input.assign(DecoderInputBytes(data.count), 0);
  if (data.count > 0) {
    std::fseek(bank, dataOffset, SEEK_SET);
    ReadZeroFilled(bank, data.input.data(), static_cast<size_t>(data.count));
  }
  return data;
}

// The first slot k whose data region [regions[k], regions[k + 1]) holds an
// offset. Regions are painted in slot order onto the segments between their
// sorted bounds, so that a lookup is a binary search: a bank of many slots
// and many lists must not cost slots x lists x slots steps.
class RegionIndex {
 public:
  explicit RegionIndex(const std::vector<int32_t>& regions) : bounds_(regions) {
    std::sort(bounds_.begin(), bounds_.end());
    bounds_.erase(std::unique(bounds_.begin(), bounds_.end()), bounds_.end());
    owner_.assign(bounds_.size(), -1);
    std::vector<size_t> nextUnpainted(bounds_.size());
    for (size_t i = 0; i < nextUnpainted.size(); ++i) nextUnpainted[i] = i;
    auto find = [&](size_t i) {
      while (nextUnpainted[i] != i) i = nextUnpainted[i] = nextUnpainted[nextUnpainted[i]];
      return i;
    };
    for (size_t k = 0; k + 1 < regions.size(); ++k) {
      const size_t to = Segment(regions[k + 1]);
      for (size_t i = find(Segment(regions[k])); regions[k] < regions[k + 1] && i < to; i = find(i)) {
        owner_[i] = static_cast<int>(k);
        nextUnpainted[i] = i + 1;
      }
    }
  }
  int SlotOf(int32_t offset) const {
    auto above = std::upper_bound(bounds_.begin(), bounds_.end(), offset);
    if (above == bounds_.begin() || above == bounds_.end()) return -1;
    return owner_[static_cast<size_t>(above - bounds_.begin()) - 1];
  }

 private:
  size_t Segment(int32_t bound) const {
    return static_cast<size_t>(std::lower_bound(bounds_.begin(), bounds_.end(), bound) - bounds_.begin());
  }
  std::vector<int32_t> bounds_;  // sorted, distinct; segment i is [bounds_[i], bounds_[i + 1])
  std::vector<int> owner_;       // first slot painting each segment, or -1
};

// Prints "->n" for the first slot whose data region holds each further list's
// data offset.
void PrintCrossReferences(ConversionContext& ctx, uint8_t* header, int headerBytes, int firstListEnd,
                          const RegionIndex& regions, int32_t& dataOffset) {
  StreamParams& params = ctx.params;
  bool printed = false;
  int position = firstListEnd;
  while (position < kBankHeaderBytes) {
    int end = position + ProcessHeaderFields(header + position, headerBytes - position, FieldMode::Read,
                                             HeaderFields{&params.channels, &params.frequency, &params.length,
                                                          nullptr, &dataOffset});
    if (end == position) break;
    const int slot = regions.SlotOf(dataOffset);
    if (slot >= 0) {
      ctx.Print("->%d", slot + 1);
      printed = true;
    }
    position = end;
  }
  if (printed) ctx.Print("\n");
}

}  // namespace

int FindBankSample(FILE* bank, uint8_t* header, int slot, int32_t* headerPosition, int* headerBytes) {
  uint8_t magic[4];
  std::fseek(bank, 0, SEEK_SET);
  ReadZeroFilled(bank, magic, 4);
  if (std::memcmp(magic, "BNK", 3) != 0) Fatal("No BNK id-string");

  uint8_t fields[4];
  ReadZeroFilled(bank, fields, 4);
  const long tableStart = TableStart(GetU16LE(fields));
  const int16_t slots = GetI16LE(fields + 2);
  if (slot < 0 || slot >= slots) return -1;

  uint8_t entryBytes[4];
  const long entryPosition = tableStart + 4L * slot;
  std::fseek(bank, entryPosition, SEEK_SET);
  ReadZeroFilled(bank, entryBytes, 4);
  const int32_t entry = GetI32LE(entryBytes);
  if (entry == 0) return 0;

  const int64_t position = static_cast<int64_t>(entryPosition) + entry;
  size_t got = 0;
  if (position >= 0 && position < FileSize(bank)) {
    std::fseek(bank, static_cast<long>(position), SEEK_SET);
    got = std::fread(header, 1, kBankHeaderBytes, bank);
  }
  std::memset(header + got, 0xFF, kBankHeaderBytes - got);
  if (headerPosition) *headerPosition = static_cast<int32_t>(position);
  if (headerBytes) *headerBytes = static_cast<int>(got);
  return 1;
}

bool ExportBank(ConversionContext& ctx, FILE* bank, int forcedMode) {
  StreamParams& params = ctx.params;
  params.channels = 1;
  params.frequency = 22050;
  params.bitsPerSample = 16;
  params.length = 0;
  // Banks rarely carry field 0Bh; starting from no codec at all would write
  // every such sample as an empty WAV and still report success.
  if (forcedMode < 0) params.codecFlags = EA_ADPCM;

  uint8_t fields[4];
  std::fseek(bank, 4, SEEK_SET);
  ReadZeroFilled(bank, fields, 4);
  const int slots = GetI16LE(fields + 2);
  ctx.Print("BNK contains %d samples\n", slots);

  uint8_t header[kBankHeaderBytes];
  int headerBytes = 0;
  int32_t headerPosition = 0;
  int32_t dataOffset = 0;

  std::vector<int32_t> regions(static_cast<size_t>(std::max(slots, 0)) + 1, 0);
  for (int slot = 0; slot < slots; ++slot) {
    if (FindBankSample(bank, header, slot, nullptr, &headerBytes) == 0) continue;
    ProcessHeaderFields(header, headerBytes, FieldMode::Read,
                        HeaderFields{&params.channels, &params.frequency, &params.length, nullptr, &dataOffset});
    regions[static_cast<size_t>(slot)] = dataOffset;
  }
  std::fseek(bank, 0, SEEK_END);
  const long bankSize = std::ftell(bank);
  regions.back() = static_cast<int32_t>(bankSize);
  const RegionIndex regionIndex(regions);
  const uint64_t pcmBudget = kPcmBytesPerBankByte * static_cast<uint64_t>(std::max(bankSize, 0L)) + kPcmBytesBeyondBank;
  uint64_t pcmWritten = 0;

  for (int slot = 0; slot < slots; ++slot) {
    if (FindBankSample(bank, header, slot, &headerPosition, &headerBytes) == 0) continue;
    const int firstListEnd =
        ProcessHeaderFields(header, headerBytes, FieldMode::Read,
                            HeaderFields{&params.channels, &params.frequency, &params.length, &params.codecFlags,
                                         &dataOffset});
    if (forcedMode >= 0) params.codecFlags = ForcedCodecFlags(forcedMode);

    char name[16];
    std::snprintf(name, sizeof name, "%3.3d.wav", slot + 1);
    ctx.Print("%d: ", slot + 1);
    ctx.Print("BNK offset %d, data %d\n", headerPosition, dataOffset);

    const std::string path = JoinPath(ctx.bankFolder, name);
    MakeWritable(ctx, path.c_str());
    FileHandle wav = OpenFile(path.c_str(), "wb");
    if (!wav) return false;
    ctx.Wrote(path);

    PrintStreamLine(ctx);
    WriteWavHeader(wav.get(), params);

    SampleData data = ReadSampleData(params, bank, bankSize, dataOffset, params.length);
    std::vector<uint8_t> output(DecoderOutputBytes(data.count));
    DecodeEvents events;
    const DecodedBlock decoded = DecodeBlock(data.input.data(), output.data(), data.count, BlockHeader{},
                                             BlockCoding{params.codecFlags, params.channels, params.eacsSeen, &events});
    PrintDecodeEvents(ctx, events);
    params.bitsPerSample = static_cast<int16_t>(decoded.bitsPerSample);
    const size_t produced = decoded.end ? static_cast<size_t>(decoded.end - output.data()) : 0;
    pcmWritten += produced;
    if (pcmWritten > pcmBudget) {
      ctx.Print("corrupt input file\n");
      return false;
    }
    if (produced > 0) {
      ctx.Print("%8.8X %d\n", static_cast<unsigned>(produced), static_cast<int>(produced));
      if (std::fwrite(output.data(), 1, produced, wav.get()) != produced) return ReportWriteError(ctx);
    }
    FinishWavHeader(wav.get(), params, static_cast<uint32_t>(produced));
    wav.reset();

    PrintCrossReferences(ctx, header, headerBytes, firstListEnd, regionIndex, dataOffset);
  }
  return true;
}
