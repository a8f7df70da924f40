#include "converter/containers/stream_import.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <optional>

#include "converter/codecs/ea_adpcm_encoder.h"
#include "converter/containers/stream_decode.h"
#include "converter/containers/stream_header.h"
#include "converter/containers/wave_samples.h"
#include "converter/context/context.h"
#include "converter/support/fatal.h"
#include "converter/support/messages.h"

namespace {

int PadTo4(int64_t n) { return static_cast<int>((4 - (n & 3)) & 3); }

void AppendBytes(std::vector<uint8_t>& out, const uint8_t* bytes, size_t count) {
  out.insert(out.end(), bytes, bytes + count);
}

struct History {
  int32_t current1, previous1, current2, previous2;
};

// One "SCDl" block around g coded bytes, in the layout the converter's own
// block reader expects for this codec and channel count.
void BuildDataBlock(const StreamParams& p, std::vector<uint8_t>& block, const uint8_t* coded, int32_t g,
                    const History& h) {
  const bool split = p.codecFlags & EA_ADPCM2;
  const bool stereo = p.channels == 2;
  const int pad = PadTo4(g);
  block.clear();
  AppendBytes(block, reinterpret_cast<const uint8_t*>("SCDl"), 4);
  if (split && stereo) {
    AppendU32LE(block, static_cast<uint32_t>(28 + g + pad));
    AppendU32LE(block, static_cast<uint32_t>(14 * static_cast<int64_t>(g) / 15));
    AppendU32LE(block, 0);
    AppendU32LE(block, static_cast<uint32_t>(g / 2 + 4));
    AppendU16LE(block, static_cast<uint32_t>(h.current1));
    AppendU16LE(block, static_cast<uint32_t>(h.previous1));
    AppendBytes(block, coded, static_cast<size_t>(g / 2));
    AppendU16LE(block, static_cast<uint32_t>(h.current2));
    AppendU16LE(block, static_cast<uint32_t>(h.previous2));
    AppendBytes(block, coded + g / 2, static_cast<size_t>(g - g / 2));
  } else if (split) {
    AppendU32LE(block, static_cast<uint32_t>(24 + g + pad));
    AppendU32LE(block, static_cast<uint32_t>(28 * static_cast<int64_t>(g) / 15));
    AppendU32LE(block, 0);
    AppendU32LE(block, static_cast<uint32_t>(g + 4));
    AppendU16LE(block, static_cast<uint32_t>(h.current1));
    AppendU16LE(block, static_cast<uint32_t>(h.previous1));
    AppendBytes(block, coded, static_cast<size_t>(g));
  } else {
    AppendU32LE(block, static_cast<uint32_t>(20 + g + pad));
    AppendU32LE(block, static_cast<uint32_t>(stereo ? 28 * static_cast<int64_t>(g) / 30 : g));
    AppendU16LE(block, static_cast<uint32_t>(h.current1));
    AppendU16LE(block, static_cast<uint32_t>(h.previous1));
    AppendU16LE(block, stereo ? static_cast<uint32_t>(h.current2) : 0);
    AppendU16LE(block, stereo ? static_cast<uint32_t>(h.previous2) : 0);
    AppendBytes(block, coded, static_cast<size_t>(g));
  }
  block.insert(block.end(), static_cast<size_t>(pad), 0);
}

// Patches the header copy for the new audio and returns how many of its
// bytes the destination carries. A header the field reader refuses ends the
// import here, before the destination is touched.
int PatchHeaderCopy(ConversionContext& ctx, int32_t pcmBytes) {
  StreamParams& p = ctx.params;
  int16_t channels = p.channels;
  int32_t frequency = p.frequency;
  if (p.length != 0) p.length = NewStreamLength(pcmBytes, p.channels);
  int32_t length = p.length;
  int end = ProcessHeaderFields(ctx.import.headerCopy, kHeaderCopyBytes, FieldMode::Patch,
                                HeaderFields{&channels, &frequency, &length, nullptr, nullptr});
  return std::clamp(end + 1, 0, kHeaderCopyBytes);
}

}  // namespace

int64_t BlockBytesFromCount(const StreamParams& p, int32_t count) {
  // A plain mono block counts bytes, 15 to a frame of 28 samples; the
  // others count samples per channel.
  if (!(p.codecFlags & EA_ADPCM2) && p.channels == 1) return static_cast<int64_t>(count / 15) * 56;
  return 2 * static_cast<int64_t>(p.channels) * count;
}

namespace {

template <typename Source>
std::vector<int32_t> CollectBlockSizesIn(const StreamParams& p, Source& original) {
  std::vector<int32_t> sizes;
  while (sizes.size() < kMaxBlockSizes && FindNextDataBlock(original)) {
    uint8_t fields[8];
    if (!ReadExact(original, fields, sizeof fields)) break;
    int32_t size = GetI32LE(fields);
    int32_t count = GetI32LE(fields + 4);
    // A size below the fields just read would step backwards: never.
    if (size > 12 && !SkipBytes(original, static_cast<long>(size) - 12)) break;
    int64_t bytes = BlockBytesFromCount(p, count);
    // A block coding nothing would make no progress.
    if (bytes > 0) sizes.push_back(static_cast<int32_t>(std::min<int64_t>(bytes, kLargestBlockBytes)));
  }
  // A short last block is the end of the original's audio, not its rhythm.
  if (sizes.size() >= 3 && sizes.back() < sizes.front()) sizes.pop_back();
  return sizes;
}

}  // namespace

std::vector<int32_t> CollectBlockSizes(const StreamParams& p, FILE* original) { return CollectBlockSizesIn(p, original); }
std::vector<int32_t> CollectBlockSizes(const StreamParams& p, MemoryReader& original) {
  return CollectBlockSizesIn(p, original);
}

int32_t NewStreamLength(int32_t pcmBytes, int channels) {
  if (channels <= 0) return 0;
  int64_t samples = static_cast<int64_t>(std::max(pcmBytes, 0)) / (2 * channels) - 32;
  if (samples <= 0) return 0;
  return static_cast<int32_t>(samples & ~int64_t{31});
}

int64_t ClockTenths() {
  return static_cast<int64_t>(static_cast<double>(std::clock()) * 1000.0 / CLOCKS_PER_SEC) / 100;
}

std::string FormatTimeLeft(int64_t tenths) {
  int64_t s = std::max<int64_t>(tenths, 0) / 10;
  int hours = static_cast<int>(s / 3600);
  int64_t rest = s - static_cast<int64_t>(hours) * 3600;
  int minutes = static_cast<int>(rest / 60);
  int seconds = static_cast<int>(rest % 60);
  char text[64];
  if (hours != 0) {
    std::snprintf(text, sizeof text, "%d:%.2d:%.2d", hours, minutes, seconds);
  } else {
    std::snprintf(text, sizeof text, "%.2d:%.2d", minutes, seconds);
  }
  return text;
}

std::string FormatProgressLine(int64_t bytesRead, int64_t bytesWritten, int64_t total, int64_t remainingBefore,
                               int64_t tenthsLeft) {
  double percent = total > 0 ? 100.0 - static_cast<double>(remainingBefore) * 100.0 / static_cast<double>(total) : 100.0;
  char line[200];
  std::snprintf(line, sizeof line, "read: %8d, write: %8d, to go %8d %s (%.1f%%)           %c",
                static_cast<int>(bytesRead), static_cast<int>(bytesWritten), static_cast<int>(total - bytesRead),
                FormatTimeLeft(tenthsLeft).c_str(), percent, 13);
  return line;
}

void ImportStream(ConversionContext& ctx, int32_t pcmBytes, FILE* wav, FileHandle original, const char* destination) {
  RequireCodableChannels(ctx.params.channels);
  std::vector<int32_t> sizes;
  if (ctx.params.codecFlags & ORIG_SCHL) sizes = CollectBlockSizes(ctx.params, original.get());
  original.reset();
  SampleInput input;
  input.file = wav;
  std::vector<uint8_t> unused;
  WriteImportedStream(ctx, pcmBytes, input, std::move(sizes), destination, unused);
}

void WriteImportedStream(ConversionContext& ctx, int32_t pcmBytes, SampleInput& wav, std::vector<int32_t> sizes,
                         const std::string& destination, std::vector<uint8_t>& bytes) {
  RequireCodableChannels(ctx.params.channels);
  const bool schl = ctx.params.codecFlags & ORIG_SCHL;
  if (sizes.empty()) sizes.push_back(kDefaultBlockBytes);

  const int headerBytes = PatchHeaderCopy(ctx, pcmBytes);

  // The destination is claimed before the work starts; it is replaced only
  // once the whole stream is coded.
  std::optional<ReplacementFile> out;
  if (!destination.empty()) {
    MakeWritable(ctx, destination.c_str());
    out.emplace(destination);
    if (!out->Open()) Fatal("couldn't open destination file '%s'\n", destination.c_str());
    ctx.Wrote(destination);
    std::setvbuf(out->get(), nullptr, _IOFBF, 1 << 16);
  }

  // The stream goes to the file as it is coded, or into memory.
  std::vector<uint8_t> stream;
  auto emit = [&](const uint8_t* data, size_t count) {
    if (count == 0) return;
    if (out) {
      std::fwrite(data, 1, count, out->get());
    } else {
      stream.insert(stream.end(), data, data + count);
    }
  };
  if (!out) stream.reserve(static_cast<size_t>(std::max<int64_t>(pcmBytes, 0)) / 3 + 4096);
  if (schl) {
    AppendBytes(stream, reinterpret_cast<const uint8_t*>("SCHl"), 4);
    AppendU32LE(stream, static_cast<uint32_t>((headerBytes + 11) & ~3));
  }
  AppendBytes(stream, ctx.import.headerCopy, static_cast<size_t>(headerBytes));
  stream.insert(stream.end(), static_cast<size_t>(PadTo4(headerBytes)), 0);
  size_t blockCountAt = 0;
  if (schl) {
    AppendBytes(stream, reinterpret_cast<const uint8_t*>("SCCl"), 4);
    AppendU32LE(stream, 12);
    blockCountAt = stream.size();
    AppendU32LE(stream, 0);
  }
  if (out) {
    emit(stream.data(), stream.size());
    stream.clear();
  }

  ctx.Print("encoding.... \n");
  const int64_t t0 = ClockTenths();
  EaAdpcmState state{};
  const bool split = (ctx.params.codecFlags & EA_ADPCM2) != 0;
  const EaAdpcmLayout layout{ctx.params.channels, split, ctx.kernel,
                             split && ctx.params.channels == 2 ? ctx.SplitStereoHelper() : nullptr};
  // Room behind the largest block for a last frame the encoder completes.
  std::vector<int16_t> pcm((kBlockBufferBytes + 112) / 2, 0);
  std::vector<uint8_t> coded(kBlockBufferBytes);
  std::vector<uint8_t> block;
  uint8_t* pcmBytesBuffer = reinterpret_cast<uint8_t*>(pcm.data());

  int64_t remaining = pcmBytes;
  int64_t bytesRead = 0;
  int64_t bytesWritten = 0;
  uint32_t blocks = 0;
  size_t entry = 0;
  while (remaining > 0) {
    const int32_t f = sizes[entry];
    if (entry + 1 < sizes.size()) ++entry;
    const int32_t take = static_cast<int32_t>(std::min<int64_t>(remaining, f));
    ReadWaveSamples(ctx, pcmBytesBuffer, take, wav);
    const size_t frameEnd = (static_cast<size_t>(f) + 111) / 112 * 112;
    std::memset(pcmBytesBuffer + take, 0, frameEnd - static_cast<size_t>(take));
    bytesRead += take;

    const History before{state.current1, state.previous1, state.current2, state.previous2};
    uint8_t* end = EncodeEaAdpcm(pcm.data(), coded.data(), state, f, layout);
    if (end <= coded.data()) FatalNoEncoderOutput();
    const int32_t g = static_cast<int32_t>(end - coded.data());
    if (schl) {
      BuildDataBlock(ctx.params, block, coded.data(), g, before);
      emit(block.data(), block.size());
    } else {
      emit(coded.data(), static_cast<size_t>(g));
    }
    bytesWritten += g;

    const int64_t elapsed = ClockTenths() - t0;
    const double estimate = static_cast<double>(elapsed) * static_cast<double>(pcmBytes) / static_cast<double>(bytesRead);
    const double left = std::max(estimate - static_cast<double>(ClockTenths() - t0), 0.0);
    ctx.Put(FormatProgressLine(bytesRead, bytesWritten, pcmBytes, remaining, static_cast<int64_t>(left)));

    remaining -= f;
    ++blocks;
  }

  if (schl) {
    uint8_t tail[8];
    std::memcpy(tail, "SCEl", 4);
    PutU32LE(tail + 4, 8);
    emit(tail, sizeof tail);
    uint8_t count[4];
    PutU32LE(count, blocks);
    if (out) {
      std::fseek(out->get(), static_cast<long>(blockCountAt), SEEK_SET);
      std::fwrite(count, 1, 4, out->get());
    } else {
      std::memcpy(stream.data() + blockCountAt, count, 4);
    }
  }
  ctx.Print("\n");
  if (!out) {
    bytes = std::move(stream);
    return;
  }
  if (!out->Commit()) FatalWriteError();
}
