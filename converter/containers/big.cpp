#include "converter/containers/big.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "converter/containers/stream_decode.h"
#include "converter/containers/stream_header.h"
#include "converter/containers/wav.h"
#include "converter/context/context.h"
#include "converter/support/file_io.h"
#include "converter/support/messages.h"

namespace {

constexpr size_t kMaxEntryName = 255;

struct DirectoryEntry {
  uint32_t dataOffset = 0;
  uint32_t dataSize = 0;
  std::string name;
};

// Reads one directory entry at the file position. False when the directory
// ends before the entry's offset and size. A name that runs into the end of
// the file ends there; only its first kMaxEntryName bytes are kept.
bool ReadEntry(FILE* archive, bool isBigf, DirectoryEntry& entry) {
  uint8_t fields[8];
  const size_t width = isBigf ? 8 : 6;
  if (!ReadExact(archive, fields, width)) return false;
  entry.dataOffset = isBigf ? GetU32BE(fields) : GetU24BE(fields);
  entry.dataSize = isBigf ? GetU32BE(fields + 4) : GetU24BE(fields + 3);
  entry.name.clear();
  for (int c; (c = std::fgetc(archive)) != EOF && c != 0;) {
    if (entry.name.size() < kMaxEntryName) entry.name += static_cast<char>(c);
  }
  return true;
}

// "name.ext" becomes "name.wav"; a name without a three-letter extension
// gets ".wav" appended. Folders in the name use the platform's separator.
std::string OutputName(const std::string& entryName) {
  std::string name = entryName;
  if (name.size() > 4 && name[name.size() - 4] == '.') name.resize(name.size() - 4);
  name += ".wav";
  for (char& c : name) {
    if (IsPathSeparator(c)) c = PathSeparator();
  }
  return name;
}

// An entry name must stay below the destination directory: no root, no
// drive and no ".." step, or a hostile archive could write anywhere.
bool StaysInDestination(const std::string& name) {
  if (name.empty() || IsPathSeparator(name[0]) || name.find(':') != std::string::npos) return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = start;
    while (end < name.size() && !IsPathSeparator(name[end])) ++end;
    if (name.compare(start, end - start, "..") == 0 && end - start == 2) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

bool ScanBigArchive(ConversionContext& ctx, FILE* archive, bool isBigf, int forcedMode) {
  ctx.Print("scanning %s-pack file\n", isBigf ? "BIGF" : "C0FB");
  StreamParams& params = ctx.params;
  params.codecFlags = 0;

  const long archiveSize = FileSize(archive);
  uint8_t countBytes[2];
  std::fseek(archive, isBigf ? 10 : 4, SEEK_SET);
  if (!ReadExact(archive, countBytes, 2)) {
    ctx.Print("archive directory is truncated\n");
    return false;
  }
  unsigned entries = static_cast<unsigned>(countBytes[0] << 8 | countBytes[1]);
  std::fseek(archive, isBigf ? 16 : 6, SEEK_SET);

  for (; entries > 0; --entries) {
    DirectoryEntry entry;
    if (!ReadEntry(archive, isBigf, entry)) {
      ctx.Print("archive directory is truncated\n");
      return false;
    }
    const long nextEntry = std::ftell(archive);

    const std::string name = OutputName(entry.name);
    if (entry.dataOffset >= static_cast<uint32_t>(archiveSize)) {
      ctx.Print("entry '%s' lies outside the archive\n", entry.name.c_str());
      return false;
    }
    const std::string path = JoinPath(ctx.destinationDir, name);
    FileHandle wav;
    if (StaysInDestination(name)) {
      MakeWritable(ctx, path.c_str());
      wav = OpenFile(path.c_str(), "wb");
    }
    if (!wav) return ReportCouldNotOpenForWriting(ctx, name.c_str());
    ctx.Wrote(path);
    WriteWavHeader(wav.get(), params);
    ctx.Print("\nWriting %s\n", name.c_str());

    // The payload limit is the entry's size, but never more than the archive
    // holds behind the entry's start.
    std::fseek(archive, static_cast<long>(entry.dataOffset), SEEK_SET);
    int32_t payloadLength = static_cast<int32_t>(
        std::min<int64_t>(entry.dataSize, static_cast<int64_t>(archiveSize) - entry.dataOffset));
    if (!ReadStreamHeader(ctx, archive, payloadLength)) return false;
    const bool decoded = payloadLength != 0 ? DecodePayload(ctx, archive, wav.get(), payloadLength)
                                            : DecodeBlocks(ctx, archive, wav.get(), forcedMode);
    wav.reset();
    if (!decoded) return false;
    std::fseek(archive, nextEntry, SEEK_SET);
  }
  return true;
}
