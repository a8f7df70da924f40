#include "converter/modes/export.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/base/ascii.h"
#include "converter/containers/big.h"
#include "converter/containers/bnk.h"
#include "converter/containers/stream_decode.h"
#include "converter/containers/stream_header.h"
#include "converter/containers/wav.h"
#include "converter/context/context.h"
#include "converter/support/file_io.h"
#include "converter/support/messages.h"

namespace {

bool EndsWithAsf(const std::string& name) {
  if (name.size() <= 4) return false;
  return kickora::AsciiLower(name.substr(name.size() - 4)) == ".asf";
}

// "*.asf" becomes "*.wav" beside it; any other name gives "NNN.wav" in the
// destination directory.
std::string StreamFileName(const char* musicName, int streamNumber) {
  std::string name;
  if (EndsWithAsf(musicName)) {
    name = musicName;
    name.replace(name.size() - 3, 3, "wav");
  } else {
    char numbered[32];
    std::snprintf(numbered, sizeof numbered, "%3.3d.wav", streamNumber);
    name = numbered;
  }
  return name;
}

// Writes every stream of the music file to its own WAV file.
bool ExportStreams(ConversionContext& ctx, FILE* music, const char* musicName) {
  int32_t payloadLength = static_cast<int32_t>(std::min<long>(FileSize(music), INT32_MAX));
  if (!ReadStreamHeader(ctx, music, payloadLength)) return false;

  for (int streamNumber = 0;; ++streamNumber) {
    const std::string name = StreamFileName(musicName, streamNumber);
    std::string path = JoinPath(ctx.destinationDir, name);
    if (name.size() > kFileNameChars || path.size() > kFullPathChars) return ReportCouldNotOpen(ctx, name.c_str());

    MakeWritable(ctx, path.c_str());
    FileHandle wav = OpenFile(path.c_str(), "wb");
    if (!wav) return ReportCouldNotOpen(ctx, name.c_str());
    ctx.Wrote(path);
    WriteWavHeader(wav.get(), ctx.params);
    ctx.Print("\nWriting %s\n", name.c_str());
    bool decoded = payloadLength != 0 ? DecodePayload(ctx, music, wav.get(), payloadLength)
                                      : DecodeBlocks(ctx, music, wav.get(), ctx.forcedMode);
    wav.reset();
    if (!decoded) return false;
    ctx.Print("\nOperation complete\n");
    payloadLength = 0;
    if (!ReadStreamHeader(ctx, music, payloadLength)) return true;
  }
}

// A forced mode is announced before the destination is looked at.
bool TakeOptions(ConversionContext& ctx, const tonepak::ExportRequest& request) {
  if (request.forcedMode > 0) {
    ctx.forcedMode = static_cast<int>(request.forcedMode - 1);
    ctx.Print("Mode forced to %d\n", static_cast<int>(request.forcedMode));
  }
  if (request.destinationDir.size() > static_cast<size_t>(kDestinationDirChars))
    return ReportCouldNotOpen(ctx, request.destinationDir.c_str());
  std::snprintf(ctx.destinationDir, sizeof ctx.destinationDir, "%s", request.destinationDir.c_str());
  ctx.bankFolder = request.bankFolder;
  return true;
}

bool Export(ConversionContext& ctx, const tonepak::ExportRequest& request) {
  if (!TakeOptions(ctx, request)) return false;

  const char* musicName = request.musicFile.c_str();
  FileHandle music = OpenFile(musicName, "rb");
  if (!music) return ReportCouldNotOpen(ctx, musicName);

  uint8_t magic[4] = {};
  ReadZeroFilled(music.get(), magic, 4);
  bool isBigf = TagIs(magic, "BIGF", 4);
  if (isBigf || (magic[0] == 0xC0 && magic[1] == 0xFB))
    return ScanBigArchive(ctx, music.get(), isBigf, ctx.forcedMode);
  if (TagIs(magic, "BNK", 3)) return ExportBank(ctx, music.get(), ctx.forcedMode);

  std::rewind(music.get());
  return ExportStreams(ctx, music.get(), musicName);
}

}  // namespace

tonepak::Status RunExport(ConversionContext& ctx, const tonepak::ExportRequest& request) {
  return tonepak::StatusOf(Export(ctx, request));
}
