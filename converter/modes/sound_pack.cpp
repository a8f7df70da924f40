#include "converter/modes/sound_pack.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "converter/context/context.h"
#include "converter/support/fatal.h"
#include "converter/support/file_io.h"
#include "converter/support/messages.h"

namespace {

constexpr int kMaxPackEntries = 100000;
// Entries are copied through a fixed buffer so that memory stays bounded
// whatever size the index claims for them.
constexpr size_t kCopyChunk = 65536;

std::string EntryPath(const std::string& prefix, int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%3.3d.asf", number);
  return prefix + digits;
}

// Copies up to count bytes from source to destination; returns the bytes
// copied (fewer when the source ends). A failed write is fatal: a short entry
// or pack must never be reported as written.
int64_t CopyBytes(FILE* source, FILE* destination, int64_t count, std::vector<uint8_t>& buffer) {
  int64_t copied = 0;
  while (copied < count) {
    const size_t want = static_cast<size_t>(std::min<int64_t>(count - copied, static_cast<int64_t>(buffer.size())));
    const size_t got = std::fread(buffer.data(), 1, want, source);
    if (got == 0) break;
    if (std::fwrite(buffer.data(), 1, got, destination) != got) FatalWriteError();
    copied += static_cast<int64_t>(got);
    if (got < want) break;
  }
  return copied;
}

void CloseWritten(FILE* file) {
  if (std::fclose(file) != 0) FatalWriteError();
}

}  // namespace

tonepak::Status UnpackSounds(ConversionContext& ctx, const tonepak::UnpackRequest& request) {
  if (request.namePrefix.size() > static_cast<size_t>(kDestinationDirChars)) {
    return tonepak::StatusOf(ReportCouldNotOpen(ctx, request.namePrefix.c_str()));
  }
  const std::string& prefix = request.namePrefix;
  const char* packName = request.packFile.c_str();
  const char* indexName = request.indexFile.c_str();

  FileHandle indexFile = OpenFile(indexName, "rb");
  if (!indexFile) Fatal("couldn't open index file '%s' for reading", indexName);
  const std::vector<uint8_t> indexBytes = ReadWholeFile(indexFile.get());
  const size_t entries = indexBytes.size() / 4;
  indexFile.reset();

  FileHandle pack = OpenFile(packName, "rb");
  if (!pack) Fatal("couldn't open packfile '%s for reading", packName);
  const long packSize = FileSize(pack.get());

  std::vector<int64_t> offsets(entries + 1);
  for (size_t i = 0; i < entries; ++i) offsets[i] = GetI32LE(&indexBytes[4 * i]);
  offsets[entries] = packSize;

  std::vector<uint8_t> buffer(kCopyChunk);
  for (size_t i = 0; i < entries; ++i) {
    const int64_t size = offsets[i + 1] - offsets[i];
    if (size < 0) Fatal("index '%s' is corrupted", indexName);

    // The first bytes decide the warning before the entry file is made.
    const size_t head = std::fread(buffer.data(), 1, static_cast<size_t>(std::min<int64_t>(size, kCopyChunk)),
                                   pack.get());
    if (head < 2 || buffer[0] != 'S' || buffer[1] != 'C') {
      ctx.Print("WARNING: %s or index '%s' is corrupted\n", packName, indexName);
    }

    const std::string path = EntryPath(prefix, static_cast<int>(i));
    MakeWritable(ctx, path.c_str());
    FileHandle out = OpenFile(path.c_str(), "wb");
    if (!out) Fatal("couldn't open '%s' for writing", path.c_str());
    ctx.Wrote(path);
    if (std::fwrite(buffer.data(), 1, head, out.get()) != head) FatalWriteError();
    int64_t written = static_cast<int64_t>(head);
    if (written == std::min<int64_t>(size, kCopyChunk)) written += CopyBytes(pack.get(), out.get(), size - written, buffer);
    CloseWritten(out.release());
    ctx.Print("%d. %s, %ld bytes\n", static_cast<int>(i), path.c_str(), static_cast<long>(written));
  }
  ctx.Print("operation successfull\n");
  return tonepak::Status::kSuccess;
}

tonepak::Status PackSounds(ConversionContext& ctx, const tonepak::PackRequest& request) {
  const char* packName = request.packFile.c_str();
  MakeWritable(ctx, packName);
  FileHandle pack = OpenFile(packName, "wb");
  if (!pack) Fatal("couldn't open sound packfile '%s' for writing", packName);
  ctx.Wrote(packName);
  const std::string& prefix = request.folder;

  if (!request.indexFile) return tonepak::Status::kFailureShowUsage;
  const char* indexName = request.indexFile->c_str();
  std::vector<int32_t> index;
  index.reserve(kMaxPackEntries);

  std::string name = EntryPath(prefix, 0);
  FileHandle entry = OpenFile(name.c_str(), "rb");
  if (!entry) Fatal("couldn't found 000.asf, directory '%s'\n", prefix.c_str());

  std::vector<uint8_t> buffer(kCopyChunk);
  int64_t total = 0;
  while (entry) {
    if (total > INT32_MAX) Fatal("sound packfile '%s' is too large for its index", packName);
    index.push_back(static_cast<int32_t>(total));
    const int64_t size = CopyBytes(entry.get(), pack.get(), INT64_MAX, buffer);
    total += size;
    entry.reset();
    ctx.Print("%d. %s, %ld bytes\n", static_cast<int>(index.size() - 1), name.c_str(), static_cast<long>(size));

    // The index holds kMaxPackEntries offsets; a further file ends the set
    // like a missing one.
    if (static_cast<int>(index.size()) == kMaxPackEntries) break;
    name = EntryPath(prefix, static_cast<int>(index.size()));
    entry = OpenFile(name.c_str(), "rb");
  }
  CloseWritten(pack.release());

  MakeWritable(ctx, indexName);
  FileHandle indexFile = OpenFile(indexName, "wb");
  if (!indexFile) Fatal("couldn't open index '%s' for writing", indexName);
  ctx.Wrote(indexName);
  std::vector<uint8_t> indexBytes(index.size() * 4);
  for (size_t i = 0; i < index.size(); ++i) PutU32LE(&indexBytes[4 * i], static_cast<uint32_t>(index[i]));
  if (std::fwrite(indexBytes.data(), 1, indexBytes.size(), indexFile.get()) != indexBytes.size()) {
    FatalWriteError();
  }
  CloseWritten(indexFile.release());

  ctx.Print("new sound packfile '%s' created, size %d bytes, %d entries\n", packName, static_cast<int>(total),
              static_cast<int>(index.size()));
  return tonepak::Status::kSuccess;
}
