#include "converter/modes/import_memory.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#include "converter/containers/memory_reader.h"
#include "converter/containers/stream_header.h"
#include "converter/containers/stream_import.h"
#include "converter/containers/wave_samples.h"
#include "converter/context/context.h"
#include "converter/modes/import.h"
#include "converter/support/fatal.h"
#include "converter/support/messages.h"

namespace {

// The header copy and the stream parameters a layout record gives, as the
// probe of an original with that header would leave them.
void TakeLayout(ConversionContext& ctx, const tonepak::StreamLayout& layout) {
  StreamParams& p = ctx.params;
  ImportState& st = ctx.import;
  p.frequency = 22050;
  p.channels = 1;
  p.length = 0;
  p.codecFlags = layout.schl ? ORIG_SCHL : ORIG_PT;
  std::memset(st.headerCopy, 0, sizeof st.headerCopy);
  st.headerCopyBytes = static_cast<int>(std::min<size_t>(layout.header.size(), kHeaderCopyBytes));
  if (st.headerCopyBytes > 0) std::memcpy(st.headerCopy, layout.header.data(), static_cast<size_t>(st.headerCopyBytes));
  if (st.headerCopyBytes == 0 && layout.schl) return;  // an SCHl stream without a "PT" list keeps the defaults
  ProcessHeaderFields(st.headerCopy, kHeaderCopyBytes, FieldMode::Read,
                      HeaderFields{&p.channels, &p.frequency, &p.length, &p.codecFlags, nullptr});
}

// Block sizes of a layout record, held to what the import's buffers take;
// sizes that code nothing are left out.
std::vector<int32_t> UsableSizes(const std::vector<int32_t>& sizes) {
  std::vector<int32_t> usable;
  for (int32_t size : sizes) {
    if (usable.size() >= kMaxBlockSizes) break;
    if (size > 0) usable.push_back(std::min(size, kLargestBlockBytes));
  }
  return usable;
}

// The samples as the little-endian bytes a WAV file would hold.
MemoryReader SampleBytes(const std::vector<int16_t>& samples, std::vector<uint8_t>& converted) {
  MemoryReader reader;
  if constexpr (std::endian::native == std::endian::little) {
    reader.data = reinterpret_cast<const uint8_t*>(samples.data());
  } else {
    converted.resize(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i) {
      converted[2 * i] = static_cast<uint8_t>(samples[i]);
      converted[2 * i + 1] = static_cast<uint8_t>(static_cast<uint16_t>(samples[i]) >> 8);
    }
    reader.data = converted.data();
  }
  reader.size = samples.size() * 2;
  return reader;
}

}  // namespace

bool ReadLayout(ConversionContext& ctx, const std::vector<uint8_t>& original, tonepak::StreamLayout& layout) {
  MemoryReader reader{original.data(), original.size(), 0};
  if (!ProbeStreamOriginal(ctx, reader)) return false;
  const StreamParams& p = ctx.params;
  layout = tonepak::StreamLayout{};
  layout.schl = (p.codecFlags & ORIG_SCHL) != 0;
  // The header as far as its field list goes: what the import writes of it.
  int headerBytes = ctx.import.headerCopyBytes;
  if (headerBytes > 0) {
    const int end = ProcessHeaderFields(ctx.import.headerCopy, kHeaderCopyBytes, FieldMode::Read, HeaderFields{});
    headerBytes = std::min(headerBytes, end + 1);
  }
  layout.header.assign(ctx.import.headerCopy, ctx.import.headerCopy + headerBytes);
  layout.channels = p.channels;
  layout.rate = p.frequency;
  layout.split = (p.codecFlags & EA_ADPCM2) != 0;
  if (layout.schl) {
    // The probe stops just behind the first data block's tag, or at the end.
    layout.hasDataBlock = reader.position <= reader.size && reader.position >= 4 && reader.position % 4 == 0 &&
                          std::memcmp(original.data() + reader.position - 4, "SCDl", 4) == 0;
    layout.blockBytes = CollectBlockSizes(p, reader);
  }
  return true;
}

tonepak::Status RunImportFromMemory(ConversionContext& ctx, const tonepak::MemoryImportRequest& request,
                               std::vector<uint8_t>& bytes) {
  tonepak::StreamLayout read;
  const tonepak::StreamLayout* layout = request.layout ? &*request.layout : nullptr;
  if (!layout) {
    if (!ReadLayout(ctx, request.original, read)) FatalUnsupportedOriginal();
    layout = &read;
  }
  if (request.channels < 0 || request.channels > 255 || request.rate < 0) Fatal("not wave sound file");
  ctx.params.waveFrequency = request.rate;
  ctx.import.waveChannels = static_cast<int16_t>(request.channels);

  TakeLayout(ctx, *layout);
  ctx.Print("Original file: channels=%d, frequency=%d\n", ctx.params.channels, ctx.params.frequency);
  RequireCodableChannels(ctx.params.channels);

  std::vector<uint8_t> converted;
  SampleInput input;
  input.memory = SampleBytes(request.samples, converted);
  const int32_t waveBytes = static_cast<int32_t>(std::min<size_t>(input.memory.size, INT_MAX));
  const int32_t pcmBytes = ConvertedByteCount(ctx, waveBytes);
  std::vector<int32_t> sizes = layout->schl ? UsableSizes(layout->blockBytes) : std::vector<int32_t>{};
  WriteImportedStream(ctx, pcmBytes, input, std::move(sizes), request.destination, bytes);
  ctx.Print("encoding successful\n");
  return tonepak::Status::kSuccess;
}
