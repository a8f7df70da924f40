// libFuzzer target: any bytes as a music file for the stream header reader,
// as the head of a song for the manager's summary (which must agree with
// the converter's first header), then as a "PT" field list read and patched
// the way the import does.
#include <cstring>

#include "common/base/stream_header.h"
#include "converter/containers/stream_header.h"
#include "converter/context/context.h"
#include "converter/support/fatal.h"
#include "fuzz_support.h"

namespace {

// The converter's first header of a file.
struct FirstHeader {
  bool found = false;
  bool fatal = false;
  StreamParams params;
};

// Walks the file header by header as the export does, stepping over each
// payload (or the data tag) so that every header in the file is reached.
FirstHeader WalkHeaders(const FuzzBytes& bytes) {
  FirstHeader first;
  FILE* file = MemoryFile(bytes);
  if (!file) return first;
  ConversionContext ctx;
  int32_t payloadLength = static_cast<int32_t>(bytes.size());
  try {
    for (int streams = 0; streams < 64; ++streams) {
      long before = std::ftell(file);
      bool found = ReadStreamHeader(ctx, file, payloadLength);
      if (streams == 0) first = FirstHeader{found, false, ctx.params};
      if (!found) break;
      long step = payloadLength > 0 ? payloadLength : 4;
      if (std::ftell(file) + step <= before) step = before - std::ftell(file) + 1;
      std::fseek(file, step, SEEK_CUR);
      payloadLength = 0;
    }
  } catch (const FatalError&) {
    if (!first.found) first.fatal = true;
  }
  std::fclose(file);
  return first;
}

// The manager's summary reads the same bytes as a head held in memory: a
// header it accepts is the converter's first, with the same parameters.
void CompareSummary(const FuzzBytes& bytes, const FirstHeader& first) {
  kickora::StreamSummary summary{};
  if (!kickora::ReadStreamSummary(bytes.data(), bytes.size(), summary)) return;
  Require(first.found && !first.fatal, "a summary only where the converter finds a header");
  Require(summary.channels == first.params.channels, "summary channels");
  Require(summary.frequency == first.params.frequency, "summary frequency");
  Require(summary.sampleCount == first.params.length, "summary sample count");
}

void ReadAndPatchFields(const FuzzBytes& bytes) {
  uint8_t list[1000];
  const int listSize = static_cast<int>(std::min<size_t>(bytes.size(), sizeof list));
  std::memset(list, 0, sizeof list);
  if (listSize > 0) std::memcpy(list, bytes.data(), static_cast<size_t>(listSize));

  int16_t channels = 1;
  int32_t frequency = 22050, length = 0, dataOffset = 0;
  uint16_t codecFlags = 0;
  HeaderFields fields{&channels, &frequency, &length, &codecFlags, &dataOffset};
  int end = ProcessHeaderFields(list, listSize, FieldMode::Read, fields);
  Require(end >= 0 && end <= listSize, "read ends inside the list");

  // Patching writes the values back into the fields it found, never
  // outside the list, and changes only value bytes: the layout stays.
  uint8_t before[1000];
  std::memcpy(before, list, sizeof list);
  length = length / 2;
  frequency = 44100;
  int patchedEnd = ProcessHeaderFields(list, listSize, FieldMode::Patch, fields);
  Require(patchedEnd == end, "patching keeps the list's layout");
  Require(std::memcmp(before + listSize, list + listSize, sizeof list - static_cast<size_t>(listSize)) == 0,
          "patching stays inside the list");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScratchRun run;
  FuzzBytes bytes(data, data + size);
  CompareSummary(bytes, WalkHeaders(bytes));
  try {
    ReadAndPatchFields(bytes);
  } catch (const FatalError&) {
  }
  return 0;
}
