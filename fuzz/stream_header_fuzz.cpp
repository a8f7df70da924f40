// libFuzzer target: any bytes as a music file for the stream header reader,
// then as a "PT" field list read and patched the way the import does.
#include <cstring>

#include "converter/containers/stream_header.h"
#include "converter/fatal.h"
#include "converter/context.h"
#include "fuzz_support.h"

namespace {

// Walks the file header by header as the export does, stepping over each
// payload (or the data tag) so that every header in the file is reached.
void WalkHeaders(const FuzzBytes& bytes) {
  FILE* file = MemoryFile(bytes);
  if (!file) return;
  ConversionContext ctx;
  int32_t payloadLength = static_cast<int32_t>(bytes.size());
  for (int streams = 0; streams < 64; ++streams) {
    long before = std::ftell(file);
    bool found = ReadStreamHeader(ctx, file, payloadLength);
    if (!found) break;
    long step = payloadLength > 0 ? payloadLength : 4;
    if (std::ftell(file) + step <= before) step = before - std::ftell(file) + 1;
    std::fseek(file, step, SEEK_CUR);
    payloadLength = 0;
  }
  std::fclose(file);
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
  try {
    WalkHeaders(bytes);
  } catch (const FatalError&) {
  }
  try {
    ReadAndPatchFields(bytes);
  } catch (const FatalError&) {
  }
  return 0;
}
