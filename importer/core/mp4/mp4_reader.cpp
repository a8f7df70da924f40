#include "importer/core/mp4/mp4_reader.h"

#include <string>

#include "importer/core/mp4/mp4_boxes.h"
#include "importer/core/mp4/mp4_sample_table.h"

namespace tunegrab {

namespace {

constexpr size_t kMaxSmallBox = 4096;  // the header boxes read whole
constexpr size_t kMaxEdits = 1024;

Outcome Damaged(const char* why) { return Outcome::Fail(std::string("The MP4 file is damaged: ") + why, Failure::Damaged); }

// An MPEG-4 descriptor's tag and size (the size in up to four 7-bit bytes).
bool ReadDescriptor(const std::vector<uint8_t>& b, size_t& at, uint8_t& tag, size_t& size) {
  if (at >= b.size()) return false;
  tag = b[at++];
  size = 0;
  for (int i = 0; i < 4; ++i) {
    if (at >= b.size()) return false;
    const uint8_t byte = b[at++];
    size = size << 7 | (byte & 0x7F);
    if (!(byte & 0x80)) return size <= b.size() - at;
  }
  return false;
}

// esds: the ES descriptor, inside it the decoder config descriptor (object
// type), inside that the decoder-specific info (the AudioSpecificConfig).
bool ReadEsds(ByteSource& source, const Mp4Box& esds, Mp4AudioTrack& track) {
  std::vector<uint8_t> b;
  if (!ReadPayload(source, esds, 4, kMaxSmallBox, b)) return false;
  size_t at = 0, size = 0;
  uint8_t tag = 0;
  if (!ReadDescriptor(b, at, tag, size) || tag != 0x03 || size < 3) return false;
  const uint8_t flags = b[at + 2];
  at += 3;
  if (flags & 0x80) at += 2;                              // depends on another stream
  if ((flags & 0x40) && at < b.size()) at += 1 + b[at];   // a URL
  if (flags & 0x20) at += 2;                              // a clock reference stream
  if (!ReadDescriptor(b, at, tag, size) || tag != 0x04 || size < 13) return false;
  track.objectType = b[at];
  at += 13;
  if (!ReadDescriptor(b, at, tag, size) || tag != 0x05) return false;
  track.decoderConfig.assign(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + size));
  return true;
}

// stsd's first entry when it is 'mp4a': channels and rate, then the esds
// (directly inside, or inside a QuickTime 'wave' box).
bool ReadSampleEntry(ByteSource& source, const Mp4Box& stsd, Mp4AudioTrack& track) {
  Mp4Box entry, esds;
  if (!ReadBoxAt(source, stsd.payload + 8, stsd.End(), entry) || entry.type != FourCc("mp4a") || entry.size < 28) return false;
  uint8_t b[28];
  if (!source.ReadExactAt(entry.payload, b, sizeof b)) return false;
  const uint16_t version = U16BE(b + 8);
  track.channels = U16BE(b + 16);
  track.rate = static_cast<int>(U32BE(b + 24) >> 16);
  const uint64_t children = 28 + (version == 1 ? 16 : version == 2 ? 36 : 0);
  if (children > entry.size) return false;
  Mp4Box wave;
  const uint64_t begin = entry.payload + children;
  if (FindBox(source, begin, entry.End(), FourCc("esds"), esds)) return ReadEsds(source, esds, track);
  return FindBox(source, begin, entry.End(), FourCc("wave"), wave) && FindChild(source, wave, FourCc("esds"), esds) &&
         ReadEsds(source, esds, track);
}

// The timescale of an mvhd or mdhd box (versions 0 and 1).
bool ReadTimescale(ByteSource& source, const Mp4Box& box, uint32_t& timescale) {
  uint8_t b[24];
  if (box.size < sizeof b || !source.ReadExactAt(box.payload, b, sizeof b)) return false;
  timescale = U32BE(b + (b[0] == 1 ? 20 : 12));
  return timescale != 0;
}

// The first edit that plays media at normal speed (empty edits before it
// are passed over); its length in the movie's timescale becomes the track's.
void ReadEdits(ByteSource& source, const Mp4Box& trak, uint32_t movieTimescale, Mp4AudioTrack& track) {
  Mp4Box edts, elst;
  std::vector<uint8_t> b;
  if (!FindChild(source, trak, FourCc("edts"), edts) || !FindChild(source, edts, FourCc("elst"), elst) ||
      !ReadPayload(source, elst, 0, 8 + kMaxEdits * 20, b) || b.size() < 8)
    return;
  const bool wide = b[0] == 1;
  const size_t entryBytes = wide ? 20 : 12;
  const uint32_t count = U32BE(&b[4]);
  for (size_t i = 0; i < count && 8 + (i + 1) * entryBytes <= b.size(); ++i) {
    const uint8_t* e = &b[8 + i * entryBytes];
    const uint64_t length = wide ? U64BE(e) : U32BE(e);
    const int64_t start = wide ? static_cast<int64_t>(U64BE(e + 8)) : static_cast<int32_t>(U32BE(e + 4));
    const uint32_t rate = U32BE(e + (wide ? 16 : 8));
    if (start < 0) continue;
    if (rate != 0x00010000) return;
    track.edited = true;
    track.editStart = static_cast<uint64_t>(start);
    track.editLength = movieTimescale != 0 ? Rescale(length, movieTimescale, track.timescale) : 0;
    if (track.editLength == 0) track.editLength = track.duration > track.editStart ? track.duration - track.editStart : 0;
    return;
  }
}

// A trak with a sound handler and an 'mp4a' entry: everything but its packets.
bool ReadAudioTrak(ByteSource& source, const Mp4Box& trak, Mp4AudioTrack& track, Mp4Box& stbl) {
  Mp4Box mdia, hdlr, mdhd, minf, stsd;
  uint8_t handler[12];  // version and flags, 0, the handler's type
  return FindChild(source, trak, FourCc("mdia"), mdia) && FindChild(source, mdia, FourCc("hdlr"), hdlr) && hdlr.size >= 12 &&
         source.ReadExactAt(hdlr.payload, handler, 12) && U32BE(handler + 8) == FourCc("soun") &&
         FindChild(source, mdia, FourCc("mdhd"), mdhd) && ReadTimescale(source, mdhd, track.timescale) &&
         FindChild(source, mdia, FourCc("minf"), minf) && FindChild(source, minf, FourCc("stbl"), stbl) &&
         FindChild(source, stbl, FourCc("stsd"), stsd) && ReadSampleEntry(source, stsd, track);
}

}  // namespace

uint64_t Rescale(uint64_t value, uint32_t from, uint32_t to) {
  if (from == 0) return 0;
  const uint64_t cap = 24ull * 3600 * to;
  const uint64_t whole = value / from;
  if (whole >= 24ull * 3600) return cap;
  return whole * to + ((value % from) * to + from / 2) / from;
}

bool LooksLikeMp4(ByteSource& source) {
  uint8_t b[8];
  return source.ReadExactAt(0, b, 8) && U32BE(b + 4) == FourCc("ftyp");
}

Outcome ReadMp4AudioTrack(ByteSource& source, Mp4AudioTrack& track) {
  Mp4Box moov, mvhd, trak;
  uint32_t movieTimescale = 0;
  if (!FindBox(source, 0, source.Size(), FourCc("moov"), moov)) return Damaged("it holds no movie header.");
  if (FindChild(source, moov, FourCc("mvhd"), mvhd)) ReadTimescale(source, mvhd, movieTimescale);
  for (uint64_t at = moov.payload; ReadBoxAt(source, at, moov.End(), trak); at = trak.End()) {
    Mp4Box stbl;
    track = Mp4AudioTrack{};
    if (trak.type != FourCc("trak") || !ReadAudioTrak(source, trak, track, stbl)) continue;
    Outcome table = ReadMp4SampleTable(source, stbl, track);
    if (!table.ok) return table;
    ReadEdits(source, trak, movieTimescale, track);
    return Outcome{};
  }
  return Damaged("it holds no AAC audio track.");
}

}  // namespace tunegrab
