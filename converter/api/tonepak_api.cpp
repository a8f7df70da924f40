#include "converter/api/tonepak_api.h"

#include <utility>

#include "converter/context/context.h"
#include "converter/modes/ditty_fix.h"
#include "converter/modes/export.h"
#include "converter/modes/export_memory.h"
#include "converter/modes/import.h"
#include "converter/modes/import_memory.h"
#include "converter/modes/sound_pack.h"
#include "converter/support/fatal.h"

namespace tonepak {

namespace {

// Runs one mode in a fresh context; a fatal error ends the mode with its
// message as the last one printed.
template <typename Mode>
Result RunInContext(const Options& options, Mode mode) {
  ConversionContext ctx;
  ctx.echo = options.echo;
  ctx.kernel = options.kernel;
  Result result;
  try {
    result.status = mode(ctx, result);
  } catch (const FatalError& error) {
    ctx.Put(std::string(error.what()) + (error.appendNewline ? "\n" : ""));
    result.status = Status::kFailure;
  }
  result.messages = std::move(ctx.messages);
  result.written = std::move(ctx.written);
  return result;
}

}  // namespace

std::string Result::Text() const {
  std::string text;
  for (const std::string& message : messages) text += message;
  return text;
}

Result Export(const ExportRequest& request, const Options& options) {
  return RunInContext(options, [&](ConversionContext& ctx, Result&) { return RunExport(ctx, request); });
}

Result DecodeStreamToMemory(const MemoryExportRequest& request, const Options& options) {
  return RunInContext(options, [&](ConversionContext& ctx, Result& result) {
    return RunExportToMemory(ctx, request, result.decoded);
  });
}

Result Import(const ImportRequest& request, const Options& options) {
  return RunInContext(options, [&](ConversionContext& ctx, Result&) { return RunImport(ctx, request); });
}

Result ImportFromMemory(const MemoryImportRequest& request, const Options& options) {
  return RunInContext(options,
                      [&](ConversionContext& ctx, Result& result) { return RunImportFromMemory(ctx, request, result.bytes); });
}

bool ReadStreamLayout(const std::vector<uint8_t>& original, StreamLayout& layout) {
  ConversionContext ctx;
  try {
    return ReadLayout(ctx, original, layout);
  } catch (const FatalError&) {
    return false;
  }
}

Result Unpack(const UnpackRequest& request, const Options& options) {
  return RunInContext(options, [&](ConversionContext& ctx, Result&) { return UnpackSounds(ctx, request); });
}

Result Pack(const PackRequest& request, const Options& options) {
  return RunInContext(options, [&](ConversionContext& ctx, Result&) { return PackSounds(ctx, request); });
}

Result DittyFix(const DittyFixRequest& request, const Options& options) {
  return RunInContext(options, [&](ConversionContext& ctx, Result&) { return RunDittyFix(ctx, request.folder); });
}

}  // namespace tonepak
