#include "converter/containers/stream_decode.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "converter/codecs/ea_adpcm.h"
#include "converter/codecs/ima_adpcm.h"
#include "converter/codecs/pcm.h"
#include "converter/containers/wav.h"
#include "converter/context/context.h"
#include "converter/support/file_io.h"
#include "converter/support/messages.h"

namespace {

// The decoders read whole frames, so a block's data may be read up to a
// frame past its count, and EA_ADPCM2 reads channel 2 behind channel 1:
// everything up to this mark is zeroed before each block.
constexpr size_t kBlockReadReach = 2 * kMaxBlockField + 4 + 64;

// Payloads are decoded in pieces of whole frames (15-byte EA ADPCM frames,
// single IMA bytes), so memory stays bounded for any payload length.
constexpr int32_t kPayloadChunkBytes = 15 * 4096;
constexpr int kTrailerSearchBytes = 128;

bool IsSkippedBlock(const uint8_t* unit) {
  return TagIs(unit, "pQGT", 4) || TagIs(unit, "kVGT", 4) || TagIs(unit, "nTCD", 4) || TagIs(unit, "MAD", 3);
}

// Where a block row's fields end and what it hands to the decoder.
struct BlockLayout {
  bool uncompOld;
  int fieldBytes;  // bytes read behind the tag
  int32_t dataBytes;
  int32_t count;
};

bool CorruptBlock(ConversionContext& ctx) {
  ctx.Put("corrupt input file\n");
  return false;
}

// Reads the block fields by the codec and checks them against the limits.
bool ReadBlockFields(ConversionContext& ctx, FILE* input, BlockHeader& header, BlockLayout& layout) {
  const StreamParams& p = ctx.params;
  uint16_t flags = p.codecFlags;
  std::memset(header.bytes, 0, sizeof header.bytes);
  layout.uncompOld = false;
  if (flags & (UNCOMP_16 | UNCOMP_8)) {
    layout.fieldBytes = 4;
  } else if (flags & EA_ADPCM2) {
    layout.fieldBytes = 20;
  } else if (flags & UNCOMP_OLD) {
    layout.uncompOld = true;
    layout.fieldBytes = 8;
  } else if (p.eacsSeen) {
    layout.fieldBytes = 24;
  } else {
    layout.fieldBytes = 16;
  }
  ReadZeroFilled(input, header.bytes, static_cast<size_t>(layout.fieldBytes));
  int32_t size = GetI32LE(header.bytes);
  int32_t count = layout.fieldBytes >= 8 ? GetI32LE(header.bytes + 4) : 0;
  if (size > kMaxBlockField) return CorruptBlock(ctx);
  // A size below the fields' end would give a negative data length.
  if (size < 4 + layout.fieldBytes) return CorruptBlock(ctx);
  layout.dataBytes = size - 4 - layout.fieldBytes;

  if (flags & (UNCOMP_16 | UNCOMP_8)) {
    layout.count = layout.dataBytes;
  } else if (flags & EA_ADPCM2) {
    int32_t channel2Offset = GetI32LE(header.bytes + 12);
    if (channel2Offset > kMaxBlockField || channel2Offset < 4) return CorruptBlock(ctx);
    layout.count = channel2Offset - 4;
  } else {
    if (count > kMaxBlockField) return CorruptBlock(ctx);
    layout.count = count;
    if (!(flags & UNCOMP_OLD) && p.eacsSeen && count == 0) layout.count = layout.dataBytes;
  }
  return true;
}

// A count never decodes more than the block brought (a stereo EA ADPCM
// count is in samples, 28 to each 30-byte frame; every other count is in
// bytes): a hostile count would turn a 20-byte block into 32 KB of silence.
int32_t JustifiedCount(const StreamParams& p, int32_t count, int32_t dataBytes) {
  const bool stereoEa = !(p.codecFlags & (IMA_ADPCM | EA_ADPCM2)) && (p.codecFlags & EA_ADPCM) && p.channels == 2;
  return std::min(count, stereoEa ? (dataBytes + 29) / 30 * 28 : dataBytes);
}

// The UNCOMP_OLD copy never takes more bytes than the block brought.
int32_t ClampUncompOldCount(const StreamParams& p, int32_t count, int32_t dataBytes) {
  int bytesPerSample = p.channels == 2 ? 4 : 2;
  return std::clamp(count, 0, dataBytes / bytesPerSample);
}

bool WritePcm(ConversionContext& ctx, PcmOut out, const uint8_t* pcm, size_t bytes) {
  if (out.memory) {
    out.memory->insert(out.memory->end(), pcm, pcm + bytes);
    return true;
  }
  if (std::fwrite(pcm, 1, bytes, out.wav) != bytes) return ReportWriteError(ctx);
  return true;
}

void FinishOut(PcmOut out, const StreamParams& p, uint32_t dataBytes) {
  if (out.wav) FinishWavHeader(out.wav, p, dataBytes);
}

BlockCoding CodingOf(const StreamParams& p, DecodeEvents* events) {
  return BlockCoding{p.codecFlags, p.channels, p.eacsSeen, events};
}

// EA_ADPCM2 stereo: the two channels' halves, each coded as mono frames
// behind its own history, interleaved into output.
uint8_t* DecodeSplitStereo(const uint8_t* data, uint8_t* output, int32_t count, uint8_t* leftEnd,
                           DecodeEvents* events) {
  EaAdpcmState right;
  right.count = count;
  right.events = events;
  right.current1 = GetI16LE(data + count);
  right.previous1 = GetI16LE(data + count + 2);
  uint8_t* end = DecodeEaAdpcmMono(data + count + 4, leftEnd, right);
  const size_t total = static_cast<size_t>(end - output);
  const size_t pairs = total / 4;
  const std::vector<uint8_t> halves(output, end);
  const uint8_t* left = halves.data();
  const uint8_t* rightSamples = halves.data() + (leftEnd - output);
  for (size_t i = 0; i < pairs; ++i) {
    std::memcpy(output + 4 * i, left + 2 * i, 2);
    std::memcpy(output + 4 * i + 2, rightSamples + 2 * i, 2);
  }
  return end;
}

// Leaves the file at a following "KWK" or "EAC" within 128 bytes.
void SeekNextPayloadHeader(FILE* input) {
  uint8_t last[3] = {0, 0, 0};
  for (int i = 0; i < kTrailerSearchBytes; ++i) {
    int c = std::fgetc(input);
    if (c == EOF) return;
    last[0] = last[1];
    last[1] = last[2];
    last[2] = static_cast<uint8_t>(c);
    if (i >= 2 && (TagIs(last, "KWK", 3) || TagIs(last, "EAC", 3))) {
      std::fseek(input, -3, SEEK_CUR);
      return;
    }
  }
}

}  // namespace

namespace {

template <typename Source>
bool FindNextDataBlockIn(Source& file) {
  uint8_t unit[4];
  while (ReadExact(file, unit, 4)) {
    if (IsSkippedBlock(unit)) {
      uint8_t size[4];
      if (!ReadExact(file, size, 4)) return false;
      int32_t blockSize = GetI32LE(size);
      // A size below 8 would step backwards and loop for ever.
      if (blockSize > 8) SkipBytes(file, blockSize - 8);
    } else if (TagIs(unit, "SCDl", 4) || TagIs(unit, "1SNd", 4)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool FindNextDataBlock(FILE* file) { return FindNextDataBlockIn(file); }
bool FindNextDataBlock(MemoryReader& memory) { return FindNextDataBlockIn(memory); }

DecodedBlock DecodeBlock(const uint8_t* data, uint8_t* output, int32_t count, const BlockHeader& header,
                         const BlockCoding& coding) {
  const uint16_t flags = coding.codecFlags;
  const bool stereo = coding.channels == 2;
  DecodedBlock decoded;
  if (flags & IMA_ADPCM) {
    ImaState ima = coding.eacsSeen ? LoadImaState32(header.bytes + 8) : LoadImaState16(header.bytes + 8);
    decoded.end = DecodeIma(data, output, count, coding.channels, ima);
  } else if (flags & EA_ADPCM2) {
    EaAdpcmState state;
    state.count = count;
    state.events = coding.events;
    state.current1 = GetI16LE(header.bytes + 16);
    state.previous1 = GetI16LE(header.bytes + 18);
    decoded.end = DecodeEaAdpcmMono(data, output, state);
    if (stereo) decoded.end = DecodeSplitStereo(data, output, count, decoded.end, coding.events);
  } else if (flags & EA_ADPCM) {
    EaAdpcmState state;
    state.count = count;
    state.events = coding.events;
    state.current1 = GetI16LE(header.bytes + 8);
    state.previous1 = GetI16LE(header.bytes + 10);
    state.current2 = GetI16LE(header.bytes + 12);
    state.previous2 = GetI16LE(header.bytes + 14);
    decoded.end = stereo ? DecodeEaAdpcmStereo(data, output, state) : DecodeEaAdpcmMono(data, output, state);
  } else if (flags & (UNCOMP_OLD | UNCOMP_16)) {
    const size_t units = static_cast<size_t>(std::max(count, 0));
    decoded.end = CopyPcm16(data, output, (flags & UNCOMP_16) ? units : units * (stereo ? 4 : 2));
  } else if (flags & UNCOMP_8) {
    decoded.bitsPerSample = 8;
    decoded.end = WidenPcm8(data, output, static_cast<size_t>(std::max(count, 0)));
  }
  return decoded;
}

bool DecodeBlocks(ConversionContext& ctx, FILE* input, PcmOut wav, int forcedMode) {
  std::vector<uint8_t> in(kBlockInputBytes);
  std::vector<uint8_t> out(kBlockOutputBytes);
  StreamParams& p = ctx.params;
  if (forcedMode >= 0) p.codecFlags = ForcedCodecFlags(forcedMode);

  long blockNumber = 0;
  uint32_t total = 0;
  DecodeEvents events;
  for (;;) {
    if (!FindNextDataBlock(input)) {
      FinishOut(wav, p, total);
      return true;
    }
    BlockHeader header;
    BlockLayout layout{};
    if (!ReadBlockFields(ctx, input, header, layout)) return false;
    ctx.Print("%ld%c", blockNumber++, 13);

    std::memset(in.data(), 0, kBlockReadReach);
    ReadZeroFilled(input, in.data(), static_cast<size_t>(layout.dataBytes));
    int32_t count = layout.count;
    count = layout.uncompOld ? ClampUncompOldCount(p, count, layout.dataBytes) : JustifiedCount(p, count, layout.dataBytes);
    const DecodedBlock decoded = DecodeBlock(in.data(), out.data(), count, header, CodingOf(p, &events));
    PrintDecodeEvents(ctx, events);
    if (!decoded.end) {
      ctx.Put("decoding error!\n");
      return false;
    }
    p.bitsPerSample = static_cast<int16_t>(decoded.bitsPerSample);
    size_t produced = static_cast<size_t>(decoded.end - out.data());
    if (produced == 0) return ReportNoData(ctx);
    if (!WritePcm(ctx, wav, out.data(), produced)) return false;
    total += static_cast<uint32_t>(produced);
  }
}

bool DecodePayload(ConversionContext& ctx, FILE* input, PcmOut wav, int32_t payloadLength) {
  if (payloadLength < 1) return ReportNoData(ctx);
  StreamParams& p = ctx.params;
  // Bytes the file does not hold are not decoded: a hostile length must not
  // turn into gigabytes of silence.
  long here = std::ftell(input);
  long available = std::max(0L, FileSize(input) - here);
  int32_t remaining = static_cast<int32_t>(std::min<long>(payloadLength, available));

  std::vector<uint8_t> in(static_cast<size_t>(std::min(remaining, kPayloadChunkBytes)) + 64);
  std::vector<uint8_t> out(4 * in.size() + 1000);
  const bool ima = (p.codecFlags & IMA_ADPCM) != 0;
  ImaState imaState;
  EaAdpcmState ea;
  DecodeEvents events;
  ea.events = &events;
  uint32_t total = 0;
  bool writeFailed = false;
  while (remaining > 0 && !writeFailed) {
    int32_t chunk = std::min(remaining, kPayloadChunkBytes);
    std::memset(in.data(), 0, in.size());
    ReadZeroFilled(input, in.data(), static_cast<size_t>(chunk));
    remaining -= chunk;
    uint8_t* end;
    if (ima) {
      end = DecodeIma(in.data(), out.data(), chunk, p.channels, imaState);
    } else {
      ea.count = chunk;
      end = DecodeEaAdpcmMono(in.data(), out.data(), ea);
      PrintDecodeEvents(ctx, events);
    }
    size_t produced = static_cast<size_t>(end - out.data());
    writeFailed = !WritePcm(ctx, wav, out.data(), produced);
    total += static_cast<uint32_t>(produced);
  }
  if (writeFailed) return false;
  SeekNextPayloadHeader(input);
  if (total == 0) return ReportNoData(ctx);
  FinishOut(wav, p, total);
  return true;
}
