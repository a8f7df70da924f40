#include "converter/modes/export_memory.h"

#include <algorithm>
#include <climits>

#include "converter/containers/stream_decode.h"
#include "converter/containers/stream_header.h"
#include "converter/containers/wav.h"
#include "converter/context/context.h"
#include "converter/support/file_io.h"
#include "converter/support/messages.h"

namespace {

bool ExportFirstStream(ConversionContext& ctx, const tonepak::MemoryExportRequest& request,
                       tonepak::DecodedStream& out) {
  if (request.forcedMode > 0) {
    ctx.forcedMode = static_cast<int>(request.forcedMode - 1);
    ctx.Print("Mode forced to %d\n", static_cast<int>(request.forcedMode));
  }
  FileHandle music = OpenFile(request.musicFile.c_str(), "rb");
  if (!music) return ReportCouldNotOpen(ctx, request.musicFile.c_str());

  uint8_t magic[4] = {};
  ReadZeroFilled(music.get(), magic, 4);
  if (TagIs(magic, "BIGF", 4) || (magic[0] == 0xC0 && magic[1] == 0xFB) || TagIs(magic, "BNK", 3)) {
    ctx.Put("not a stream file\n");
    return false;
  }
  std::rewind(music.get());

  // The first stream exactly as the export's stream walk decodes it.
  int32_t payloadLength = static_cast<int32_t>(std::min<long>(FileSize(music.get()), INT32_MAX));
  if (!ReadStreamHeader(ctx, music.get(), payloadLength)) return false;
  std::vector<uint8_t> pcm;
  // Room for the samples the header announces, so that the buffer is not
  // regrown and copied block by block; no more than the file's bytes could
  // code (four 16-bit samples a byte is beyond every codec), whatever a
  // hostile header says.
  const uint64_t announced = static_cast<uint64_t>(std::max(ctx.params.length, 0)) *
                             static_cast<uint64_t>(std::clamp(static_cast<int>(ctx.params.channels), 1, 2)) * 2;
  pcm.reserve(static_cast<size_t>(std::min<uint64_t>(announced, static_cast<uint64_t>(std::max(FileSize(music.get()), 0L)) * 8)));
  const bool decoded = payloadLength != 0 ? DecodePayload(ctx, music.get(), pcm, payloadLength)
                                          : DecodeBlocks(ctx, music.get(), pcm, ctx.forcedMode);
  if (!decoded) return false;

  out.rate = WavFileRate(ctx.params);
  out.channels = ctx.params.channels;
  out.samples.resize(pcm.size() / 2);
  for (size_t i = 0; i < out.samples.size(); ++i) out.samples[i] = GetI16LE(pcm.data() + 2 * i);
  return true;
}

}  // namespace

tonepak::Status RunExportToMemory(ConversionContext& ctx, const tonepak::MemoryExportRequest& request,
                             tonepak::DecodedStream& out) {
  out = tonepak::DecodedStream{};
  const bool ok = ExportFirstStream(ctx, request, out);
  if (!ok) out = tonepak::DecodedStream{};
  return tonepak::StatusOf(ok);
}
