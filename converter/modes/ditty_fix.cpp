#include "converter/modes/ditty_fix.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "converter/context/context.h"
#include "converter/support/file_io.h"
#include "converter/support/messages.h"

namespace {

constexpr long kMinExecutableBytes = 2000000;
// A signature closer to the end of the image than this cannot head a table.
constexpr long kSearchMargin = 100;
constexpr long kMatchMargin = 200;

// The 4 bytes in front of each table and its first value as the game ships.
constexpr uint8_t kDittiesSignature[8] = {0xc1, 0xc0, 0x40, 0x3b, 0x94, 0x0b, 0x00, 0x00};
constexpr uint8_t kHornsSignature[8] = {0x00, 0xff, 0x7f, 0x47, 0x50, 0x03, 0x00, 0x00};

long FindSignature(const uint8_t* image, long imageSize, const uint8_t* signature, int signatureLength) {
  for (long position = 0; imageSize - position > kSearchMargin; ++position) {
    if (imageSize - position < signatureLength) break;
    if (std::memcmp(image + position, signature, static_cast<size_t>(signatureLength)) == 0) {
      return imageSize - position > kMatchMargin ? position : -1;
    }
  }
  return -1;
}

// Passes over a zero-terminated name; false when the file ends first.
bool SkipName(FILE* file) {
  for (int c; (c = std::fgetc(file)) != EOF;) {
    if (c == 0) return true;
  }
  return false;
}

}  // namespace

int PatchOffsetTable(ConversionContext& ctx, uint8_t* image, long imageSize, const char* archivePath, const uint8_t* signature,
                     int signatureLength) {
  const long match = FindSignature(image, imageSize, signature, signatureLength);
  if (match < 0) {
    ctx.Print("%s: no match found\n", archivePath);
    return -1;
  }
  const long table = match + 4;
  ctx.Print("fixing %s: start offset %8.8X\n", archivePath, static_cast<unsigned>(table));

  FileHandle archive = OpenFile(archivePath, "rb");
  if (!archive) {
    ReportCouldNotOpen(ctx, archivePath);
    return -1;
  }
  uint8_t header[16] = {};
  const bool headerRead = ReadExact(archive.get(), header, sizeof header);
  const uint32_t entries = GetU32BE(header + 8);

  uint32_t changed = 0;
  // A directory shorter than its count, or a count that would carry the table
  // past the end of the image, stops the update there.
  for (uint32_t k = 0; headerRead && k < entries; ++k) {
    uint8_t fields[8];
    if (!ReadExact(archive.get(), fields, sizeof fields)) break;
    const long slot = table + 4 * static_cast<long>(k);
    if (imageSize - slot < 4) break;
    const uint32_t offset = GetU32BE(fields);
    if (GetU32LE(image + slot) != offset) {
      PutU32LE(image + slot, offset);
      ++changed;
    }
    if (!SkipName(archive.get())) break;
  }

  if (changed > 0) {
    ctx.Print("%d/%d offsets fixed..\n", static_cast<int>(changed), static_cast<int>(entries));
    return 1;
  }
  ctx.Print("no changes needed\n");
  return 0;
}

tonepak::Status RunDittyFix(ConversionContext& ctx, const std::string& folder) {
  const std::string exe = JoinPath(folder, "nhl2k.exe");
  const std::string icd = JoinPath(folder, "nhl2k.icd");
  const char* name = exe.c_str();
  FileHandle file = OpenFile(name, "rb");
  if (!file || FileSize(file.get()) < kMinExecutableBytes) {
    file.reset();
    name = icd.c_str();
    file = OpenFile(name, "rb");
    if (!file) {
      ReportCouldNotOpen(ctx, name);
      return tonepak::Status::kFailureShowUsage;
    }
  }
  std::vector<uint8_t> image = ReadWholeFile(file.get());
  file.reset();
  ctx.Print("scanning '%s'...\n", name);

  const long imageSize = static_cast<long>(image.size());
  const std::string ditties = JoinPath(folder, JoinPath("ditties", "ditties.viv"));
  const std::string horns = JoinPath(folder, JoinPath("required", "horns.viv"));
  const int dittiesResult = PatchOffsetTable(ctx, image.data(), imageSize, ditties.c_str(), kDittiesSignature, 8);
  const int hornsResult = PatchOffsetTable(ctx, image.data(), imageSize, horns.c_str(), kHornsSignature, 8);

  if (dittiesResult <= 0 && hornsResult <= 0) return tonepak::StatusOf(dittiesResult == 0 && hornsResult == 0);

  // The game program is only replaced once the whole new image is on disk,
  // so a full disk or a crash never leaves a broken executable behind.
  MakeWritable(ctx, name);
  ReplacementFile replacement(name);
  const bool written = replacement.Open() &&
                       std::fwrite(image.data(), 1, image.size(), replacement.get()) == image.size() &&
                       replacement.Commit();
  if (!written) {
    ReportCouldNotOpenForWriting(ctx, name);
    return tonepak::Status::kFailureShowUsage;
  }
  ctx.Wrote(name);
  ctx.Print("'%s' patched\n", name);
  return tonepak::Status::kSuccess;
}
