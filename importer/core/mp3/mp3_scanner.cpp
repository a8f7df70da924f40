#include "importer/core/mp3/mp3_scanner.h"

#include <algorithm>
#include <cstring>

#include "importer/core/byte_source.h"

namespace tunegrab {

namespace {

constexpr int kBitratesMpeg1[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr int kBitratesMpeg2[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr int kRatesMpeg1[3] = {44100, 48000, 32000};

struct Region {
  size_t begin = 0;
  size_t end = 0;
};

uint32_t Syncsafe(const uint8_t* p) {
  return static_cast<uint32_t>(p[0] & 0x7F) << 21 | static_cast<uint32_t>(p[1] & 0x7F) << 14 |
         static_cast<uint32_t>(p[2] & 0x7F) << 7 | static_cast<uint32_t>(p[3] & 0x7F);
}

// ID3v2 tags at the front (several may follow one another).
size_t SkipId3v2(const std::vector<uint8_t>& b, size_t at) {
  while (at + 10 <= b.size() && std::memcmp(&b[at], "ID3", 3) == 0 && b[at + 3] != 0xFF && b[at + 4] != 0xFF &&
         (b[at + 6] | b[at + 7] | b[at + 8] | b[at + 9]) < 0x80) {
    uint64_t size = 10 + static_cast<uint64_t>(Syncsafe(&b[at + 6]));
    if (b[at + 5] & 0x10) size += 10;  // footer
    at = static_cast<size_t>(std::min<uint64_t>(at + size, b.size()));
  }
  return at;
}

// ID3v1, APEv2 and a trailing ID3v2 footer tag at the end.
size_t TrimEndTags(const std::vector<uint8_t>& b, size_t begin, size_t end) {
  for (bool changed = true; changed;) {
    changed = false;
    if (end >= begin + 128 && std::memcmp(&b[end - 128], "TAG", 3) == 0) {
      end -= 128;
      changed = true;
    }
    if (end >= begin + 32 && std::memcmp(&b[end - 32], "APETAGEX", 8) == 0) {
      const uint8_t* footer = &b[end - 32];
      // Items and footer: never less than the footer itself, or a size of 0
      // would trim nothing and loop for ever.
      uint64_t size = std::max<uint64_t>(U32LE(footer + 12), 32);
      if (U32LE(footer + 20) & 0x80000000u) size += 32;  // a header precedes the items
      end = size >= end - begin ? begin : end - static_cast<size_t>(size);
      changed = true;
    }
    if (end >= begin + 10 && std::memcmp(&b[end - 10], "3DI", 3) == 0) {
      uint64_t size = 20 + static_cast<uint64_t>(Syncsafe(&b[end - 4]));
      end = size >= end - begin ? begin : end - static_cast<size_t>(size);
      changed = true;
    }
  }
  return end;
}

bool SameStream(const Mp3FrameHeader& a, const Mp3FrameHeader& b) {
  return a.version == b.version && a.rate == b.rate && a.channels == b.channels;
}

bool HeaderAt(const std::vector<uint8_t>& b, size_t at, size_t end, Mp3FrameHeader& h) {
  return at + 4 <= end && ParseMp3FrameHeader(&b[at], h);
}

// The first frame: a valid header followed by another of the same stream
// (or by the end of the audio), so that stray sync bytes in junk or in a
// tag are not taken for audio.
bool FindFirstFrame(const std::vector<uint8_t>& b, Region audio, size_t& at, Mp3FrameHeader& h) {
  for (size_t i = audio.begin; i + 4 <= audio.end; ++i) {
    if (b[i] != 0xFF || !HeaderAt(b, i, audio.end, h)) continue;
    Mp3FrameHeader next;
    size_t after = i + static_cast<size_t>(h.bytes);
    if (after == audio.end || (HeaderAt(b, after, audio.end, next) && SameStream(h, next))) {
      at = i;
      return true;
    }
  }
  return false;
}

int SideInfoBytes(const Mp3FrameHeader& h) {
  if (h.version == MpegVersion::Mpeg1) return h.channels == 1 ? 17 : 32;
  return h.channels == 1 ? 9 : 17;
}

// A Xing/Info frame (with its LAME tag) or a VBRI frame carries no audio.
bool ReadInfoFrame(const uint8_t* f, const Mp3FrameHeader& h, Mp3Scan& scan) {
  const size_t size = static_cast<size_t>(h.bytes);
  size_t xing = 4 + (h.crc ? 2 : 0) + static_cast<size_t>(SideInfoBytes(h));
  if (xing + 8 <= size && (std::memcmp(f + xing, "Xing", 4) == 0 || std::memcmp(f + xing, "Info", 4) == 0)) {
    uint32_t flags = U32BE(f + xing + 4);
    size_t lame = xing + 8 + ((flags & 1) ? 4 : 0) + ((flags & 2) ? 4 : 0) + ((flags & 4) ? 100 : 0) + ((flags & 8) ? 4 : 0);
    if (lame + 24 <= size && (std::memcmp(f + lame, "LAME", 4) == 0 || std::memcmp(f + lame, "Lavf", 4) == 0 ||
                              std::memcmp(f + lame, "Lavc", 4) == 0)) {
      const uint8_t* d = f + lame + 21;
      scan.hasLameTag = true;
      scan.encoderDelay = d[0] << 4 | d[1] >> 4;
      scan.encoderPadding = (d[1] & 0x0F) << 8 | d[2];
    }
    return true;
  }
  return 36 + 4 <= size && std::memcmp(f + 36, "VBRI", 4) == 0;
}

}  // namespace

bool ParseMp3FrameHeader(const uint8_t* p, Mp3FrameHeader& h) {
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
  int versionBits = (p[1] >> 3) & 3;
  if (versionBits == 1 || ((p[1] >> 1) & 3) != 1) return false;  // reserved version; not Layer III
  int bitrateIndex = p[2] >> 4;
  int rateIndex = (p[2] >> 2) & 3;
  if (bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3 || (p[3] & 3) == 2) return false;
  h.version = versionBits == 3 ? MpegVersion::Mpeg1 : versionBits == 2 ? MpegVersion::Mpeg2 : MpegVersion::Mpeg25;
  const bool mpeg1 = h.version == MpegVersion::Mpeg1;
  h.bitrate = (mpeg1 ? kBitratesMpeg1 : kBitratesMpeg2)[bitrateIndex] * 1000;
  h.rate = kRatesMpeg1[rateIndex] >> (mpeg1 ? 0 : h.version == MpegVersion::Mpeg2 ? 1 : 2);
  h.channels = (p[3] >> 6) == 3 ? 1 : 2;
  h.crc = !(p[1] & 1);
  h.samples = mpeg1 ? 1152 : 576;
  h.bytes = (mpeg1 ? 144 : 72) * h.bitrate / h.rate + ((p[2] >> 1) & 1);
  return true;
}

Outcome ScanMp3(const std::vector<uint8_t>& b, Mp3Scan& scan) {
  scan = Mp3Scan{};
  if (b.size() > kMaxMp3Bytes) return Outcome::Fail("The MP3 file is larger than 256 MB.");
  Region audio{SkipId3v2(b, 0), 0};
  audio.end = TrimEndTags(b, audio.begin, b.size());
  size_t at = 0;
  Mp3FrameHeader h;
  if (!FindFirstFrame(b, audio, at, h))
    return Outcome::Fail("The file is not an MP3 file: it holds no MPEG Layer III audio.", Failure::Damaged);
  scan.first = h;
  bool firstFrame = true;
  while (at + 4 <= audio.end) {
    Mp3FrameHeader next;
    if (!HeaderAt(b, at, audio.end, next) || !SameStream(next, scan.first)) {
      // Lost step: look for the next frame of the same stream.
      size_t resume = at + 1;
      while (resume + 4 <= audio.end && !(HeaderAt(b, resume, audio.end, next) && SameStream(next, scan.first))) ++resume;
      if (resume + 4 > audio.end) break;
      at = resume;
    }
    if (at + static_cast<size_t>(next.bytes) > audio.end) break;  // truncated last frame
    if (firstFrame && ReadInfoFrame(&b[at], next, scan)) {
      scan.hasInfoFrame = true;
    } else {
      scan.frames.push_back(Mp3Frame{static_cast<uint32_t>(at), static_cast<uint32_t>(next.bytes)});
    }
    firstFrame = false;
    at += static_cast<size_t>(next.bytes);
  }
  if (scan.frames.empty()) return Outcome::Fail("The MP3 file holds no complete audio frame.", Failure::Damaged);
  if (Mp3EncodedSamples(scan) > kMaxSongSeconds * scan.first.rate) return Outcome::Fail("The song is longer than 30 minutes.");
  return Outcome{};
}

int64_t Mp3EncodedSamples(const Mp3Scan& scan) {
  int64_t total = static_cast<int64_t>(scan.frames.size()) * scan.first.samples - scan.encoderDelay - scan.encoderPadding;
  return total > 0 ? total : 0;
}

}  // namespace tunegrab
