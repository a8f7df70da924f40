#include "converter/containers/bank_import.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "converter/codecs/ea_adpcm_encoder.h"
#include "converter/containers/bnk.h"
#include "converter/containers/stream_header.h"
#include "converter/containers/wave_samples.h"
#include "converter/context/context.h"
#include "converter/support/fatal.h"
#include "converter/support/messages.h"

namespace {

struct SampleHeader {
  uint8_t bytes[kBankHeaderBytes];
  int size = 0;             // bytes the bank holds of this header
  int32_t position = 0;     // file position of its first byte
};

// Reads a slot's header; the result is FindBankSample's.
int ReadSlot(FILE* bank, int slot, SampleHeader& header) {
  std::memset(header.bytes, 0, sizeof header.bytes);
  header.size = 0;
  header.position = 0;
  int found = FindBankSample(bank, header.bytes, slot, &header.position, &header.size);
  header.size = std::clamp(header.size, 0, kBankHeaderBytes);
  return found;
}

// One list of a sample header: [start, end] with end the byte that closed it.
struct HeaderList {
  int start;
  int end;
  int32_t dataOffset;
};

// Every list of a header in order. Each call starts on the byte that ended
// the previous list; a list that ends where it started (FFh) ends the walk.
std::vector<HeaderList> ListsOf(SampleHeader& header) {
  std::vector<HeaderList> lists;
  int start = 0;
  while (start < header.size) {
    int32_t length = 0;
    int32_t dataOffset = 0;
    int end = ProcessHeaderFields(header.bytes + start, header.size - start, FieldMode::Read,
                                  HeaderFields{nullptr, nullptr, &length, nullptr, &dataOffset});
    if (end <= 0 && start > 0) break;
    lists.push_back(HeaderList{start, start + end, dataOffset});
    if (end <= 0) break;
    start += end;
  }
  return lists;
}

// Calls visit(header, list) for every list of every filled slot, in slot
// order.
template <typename Visit>
void ForEachBankList(FILE* bank, Visit visit) {
  SampleHeader header;
  for (int slot = 0;; ++slot) {
    int found = ReadSlot(bank, slot, header);
    if (found < 0) break;
    if (found == 0) continue;
    for (const HeaderList& list : ListsOf(header)) visit(header, list);
  }
}

// Copies bytes [from, through] of a header into the image at the header's
// own place; a header that does not lie in front of the replaced data would
// land among moved audio, which this rebuild does not do.
void PutHeaderBytes(std::vector<uint8_t>& image, int64_t frontBytes, const SampleHeader& header, int from,
                    int through) {
  through = std::min(through, header.size - 1);
  if (through < from) return;
  int64_t at = static_cast<int64_t>(header.position) + from;
  int64_t count = through - from + 1;
  if (header.position < 0 || at + count > frontBytes) FatalBankInconsistent();
  std::memcpy(image.data() + at, header.bytes + from, static_cast<size_t>(count));
}

void PatchDataOffset(SampleHeader& header, const HeaderList& list, int32_t newOffset) {
  ProcessHeaderFields(header.bytes + list.start, header.size - list.start, FieldMode::Patch,
                      HeaderFields{nullptr, nullptr, nullptr, nullptr, &newOffset});
}

}  // namespace

int32_t NewBankSampleLength(int32_t pcmBytes, int channels) {
  if (channels <= 0 || pcmBytes <= 0) return 0;
  int64_t samples = static_cast<int64_t>(pcmBytes) / 2 / channels;
  int64_t length = (samples / 14) * 15 - 32;
  if (length <= 0) return 0;
  return static_cast<int32_t>(length & ~int64_t{31});
}

void ImportBankSample(ConversionContext& ctx, int32_t pcmBytes, FILE* wav, FileHandle bank, const char* destination) {
  RequireCodableChannels(ctx.params.channels);
  const int channels = ctx.params.channels;
  const int32_t target = ctx.import.dataOffset;
  const long bankSize = FileSize(bank.get());
  if (target < 0 || target > bankSize) FatalBankInconsistent();
  pcmBytes = std::max(pcmBytes, 0);

  // Whole frames, zero beyond the audio, so the last frame reads nothing
  // past the buffer.
  const size_t pcmRoom = (static_cast<size_t>(pcmBytes) + 111) / 112 * 112;
  std::vector<int16_t> samples(pcmRoom / 2 + 56, 0);
  ReadWaveSamples(ctx, reinterpret_cast<uint8_t*>(samples.data()), pcmBytes, wav);
  std::vector<uint8_t> coded((pcmRoom / 56 + 2) * 15 + 60);

  ctx.Put("encoding...");
  EaAdpcmState state{};
  const bool split = (ctx.params.codecFlags & EA_ADPCM2) != 0;
  const EaAdpcmLayout layout{static_cast<int16_t>(channels), split, ctx.kernel,
                             split && channels == 2 ? ctx.SplitStereoHelper() : nullptr};
  uint8_t* end = EncodeEaAdpcm(samples.data(), coded.data(), state, pcmBytes, layout);
  if (end <= coded.data()) FatalNoEncoderOutput();
  ctx.Put(" ok\n");
  const int64_t codedBytes = end - coded.data();
  const int64_t G = (codedBytes + 3) & ~int64_t{3};

  // The target: the first slot whose first list names the probed offset.
  SampleHeader header;
  int targetSlot = 0;
  for (;; ++targetSlot) {
    int found = ReadSlot(bank.get(), targetSlot, header);
    if (found < 0) FatalBankInconsistent();
    if (found == 0) continue;
    int32_t length = 0;
    int32_t dataOffset = 0;
    ProcessHeaderFields(header.bytes, header.size, FieldMode::Read,
                        HeaderFields{nullptr, nullptr, &length, nullptr, &dataOffset});
    if (dataOffset == target) break;
  }

  // The audio that follows the replaced sample starts at the nearest data
  // offset behind it, whichever slot or list names it.
  int64_t next = -1;
  ForEachBankList(bank.get(), [&](SampleHeader&, const HeaderList& list) {
    if (list.dataOffset > target && list.dataOffset <= bankSize && (next < 0 || list.dataOffset < next))
      next = list.dataOffset;
  });
  const int64_t tailBytes = next < 0 ? 0 : bankSize - next;
  const int64_t shift = next < 0 ? 0 : target + G - next;

  std::vector<uint8_t> image(static_cast<size_t>(target + G + tailBytes), 0);
  std::fseek(bank.get(), 0, SEEK_SET);
  ReadZeroFilled(bank.get(), image.data(), static_cast<size_t>(target));
  std::memcpy(image.data() + target, coded.data(), static_cast<size_t>(codedBytes));
  if (tailBytes > 0) {
    std::fseek(bank.get(), static_cast<long>(next), SEEK_SET);
    ReadZeroFilled(bank.get(), image.data() + target + G, static_cast<size_t>(tailBytes));
  }

  int32_t length = NewBankSampleLength(pcmBytes, channels);
  int listEnd = ProcessHeaderFields(header.bytes, header.size, FieldMode::Patch,
                                    HeaderFields{nullptr, nullptr, &length, nullptr, nullptr});
  PutHeaderBytes(image, target, header, 0, listEnd);

  if (shift != 0) {
    ForEachBankList(bank.get(), [&](SampleHeader& other, const HeaderList& list) {
      if (list.dataOffset <= target) return;
      PatchDataOffset(other, list, static_cast<int32_t>(list.dataOffset + shift));
      PutHeaderBytes(image, target, other, list.start, list.end);
    });
  }
  bank.reset();

  MakeWritable(ctx, destination);
  ReplacementFile out(destination);
  if (!out.Open()) FatalCouldNotOpen(destination);
  ctx.Wrote(destination);
  std::fwrite(image.data(), 1, image.size(), out.get());
  if (!out.Commit()) FatalWriteError();
}
