#include "manager/core/SongTitleTag.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "common/base/byte_order.h"
#include "common/base/text_encoding.h"

using kickora::AppendUtf8;

namespace {

// A stretch of the file's bytes; every read checks it first.
struct View {
  const uint8_t* data = nullptr;
  size_t size = 0;

  bool Has(size_t at, size_t count) const { return at <= size && count <= size - at; }
  bool Is(size_t at, const char* text) const {
    const size_t length = std::strlen(text);
    return Has(at, length) && std::memcmp(data + at, text, length) == 0;
  }
  // From at, count bytes or as many as there are.
  View Part(size_t at, size_t count) const {
    if (at > size) return {};
    return {data + at, count < size - at ? count : size - at};
  }
  uint32_t Be(size_t at, size_t bytes) const {
    uint32_t value = 0;
    for (size_t i = 0; i < bytes; ++i) value = (value << 8) | data[at + i];
    return value;
  }
  uint32_t Le32(size_t at) const { return kickora::GetU32LE(data + at); }
  uint32_t Le16(size_t at) const { return kickora::GetU16LE(data + at); }
  // ID3v2's 28-bit sizes: four bytes of seven bits. False when a byte has its top bit.
  bool SyncSafe(size_t at, uint32_t& value) const {
    value = 0;
    for (size_t i = 0; i < 4; ++i) {
      if (data[at + i] & 0x80) return false;
      value = (value << 7) | data[at + i];
    }
    return true;
  }
};

// Bytes up to the first NUL.
std::string TextBeforeNul(View v) {
  const void* nul = v.size ? std::memchr(v.data, 0, v.size) : nullptr;
  const size_t length = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - v.data) : v.size;
  return std::string(reinterpret_cast<const char*>(v.data), length);
}

std::string Utf16ToUtf8(View v, bool bigEndian) {
  std::string out;
  for (size_t at = 0; v.Has(at, 2); at += 2) {
    uint32_t unit = bigEndian ? v.Be(at, 2) : v.Le16(at);
    if (unit == 0) break;
    if (unit >= 0xD800 && unit < 0xDC00 && v.Has(at + 2, 2)) {
      uint32_t low = bigEndian ? v.Be(at + 2, 2) : v.Le16(at + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        at += 2;
      }
    }
    AppendUtf8(out, unit);
  }
  return out;
}

// An ID3v2 text frame's content: its encoding byte, then the text.
std::string Id3Text(View v) {
  if (v.size < 1) return "";
  const View text = v.Part(1, v.size - 1);
  switch (v.data[0]) {
    case 0: {  // ISO 8859-1
      std::string out;
      for (char c : TextBeforeNul(text)) AppendUtf8(out, static_cast<unsigned char>(c));
      return out;
    }
    case 1:  // UTF-16 with a byte order mark
      if (text.Is(0, "\xFE\xFF")) return Utf16ToUtf8(text.Part(2, text.size), true);
      if (text.Is(0, "\xFF\xFE")) return Utf16ToUtf8(text.Part(2, text.size), false);
      return Utf16ToUtf8(text, false);
    case 2: return Utf16ToUtf8(text, true);
    case 3: return TextBeforeNul(text);
    default: return "";
  }
}

// Undoes ID3v2's unsynchronisation: every 0xFF 0x00 becomes 0xFF.
std::vector<uint8_t> Resynchronised(View v) {
  std::vector<uint8_t> out;
  out.reserve(v.size);
  for (size_t i = 0; i < v.size; ++i) {
    out.push_back(v.data[i]);
    if (v.data[i] == 0xFF && i + 1 < v.size && v.data[i + 1] == 0) ++i;
  }
  return out;
}

std::string Id3Title(View v) {
  uint32_t tagSize = 0;
  if (!v.Is(0, "ID3") || !v.Has(0, 10) || !v.SyncSafe(6, tagSize)) return "";
  const unsigned major = v.data[3], flags = v.data[5];
  if (major < 2 || major > 4) return "";
  if (major == 2 && (flags & 0x40)) return "";  // a compressed 2.2 tag
  std::vector<uint8_t> resynchronised;
  View body = v.Part(10, tagSize);
  if ((flags & 0x80) && major < 4) {
    resynchronised = Resynchronised(body);
    body = {resynchronised.data(), resynchronised.size()};
  }
  size_t at = 0;
  if (major > 2 && (flags & 0x40)) {  // an extended header comes first
    uint32_t extended = 0;
    if (!body.Has(0, 4)) return "";
    if (major == 3) {
      extended = body.Be(0, 4);
      if (extended > body.size - 4) return "";
      at = 4 + extended;
    } else {
      if (!body.SyncSafe(0, extended)) return "";
      at = extended;
    }
  }
  const size_t headerLength = major == 2 ? 6 : 10;
  const char* wanted = major == 2 ? "TT2" : "TIT2";
  while (body.Has(at, headerLength) && body.data[at] != 0) {
    uint32_t frameSize = 0;
    if (major == 2) frameSize = body.Be(at + 3, 3);
    if (major == 3) frameSize = body.Be(at + 4, 4);
    if (major == 4 && !body.SyncSafe(at + 4, frameSize)) return "";
    const unsigned frameFlags = major == 2 ? 0 : body.data[at + 9];
    const bool isTitle = body.Is(at, wanted);
    at += headerLength;
    if (!body.Has(at, frameSize)) return "";
    View frame = body.Part(at, frameSize);
    if (isTitle) {
      if (major == 3) {
        if (frameFlags & 0xC0) return "";  // compressed or encrypted
        if (frameFlags & 0x20) frame = frame.Part(1, frame.size);  // group byte
        return Id3Text(frame);
      }
      if (major == 4) {
        if (frameFlags & 0x0C) return "";
        if (frameFlags & 0x40) frame = frame.Part(1, frame.size);
        if (frameFlags & 0x01) frame = frame.Part(4, frame.size);  // data length
        if ((frameFlags & 0x02) || (flags & 0x80)) {
          const std::vector<uint8_t> plain = Resynchronised(frame);
          return Id3Text({plain.data(), plain.size()});
        }
      }
      return Id3Text(frame);
    }
    at += frameSize;
  }
  return "";
}

// A Vorbis comment block: vendor, count, then "KEY=value" entries, all
// lengths 32-bit little-endian. The first TITLE (any case) is the title.
std::string VorbisCommentTitle(View v) {
  if (!v.Has(0, 4) || !v.Has(4, v.Le32(0))) return "";
  size_t at = 4 + size_t{v.Le32(0)};
  if (!v.Has(at, 4)) return "";
  uint32_t count = v.Le32(at);
  at += 4;
  for (uint32_t i = 0; i < count && v.Has(at, 4); ++i) {
    const uint32_t length = v.Le32(at);
    at += 4;
    if (!v.Has(at, length)) return "";
    const View entry = v.Part(at, length);
    if (entry.size > 6) {
      bool title = true;
      for (size_t k = 0; k < 6; ++k)
        title = title && std::toupper(entry.data[k]) == static_cast<unsigned char>("TITLE="[k]);
      if (title) return std::string(reinterpret_cast<const char*>(entry.data) + 6, entry.size - 6);
    }
    at += length;
  }
  return "";
}

std::string FlacTitle(View v) {
  for (size_t at = 4; v.Has(at, 4);) {
    const unsigned type = v.data[at] & 0x7F;
    const bool last = (v.data[at] & 0x80) != 0;
    const uint32_t length = v.Be(at + 1, 3);
    if (type == 4) return VorbisCommentTitle(v.Part(at + 4, length));
    if (last) break;
    at += 4 + size_t{length};
  }
  return "";
}

// The second packet of the first logical stream of an Ogg file (its
// comment header), as far as the bytes reach.
std::vector<uint8_t> OggSecondPacket(View v) {
  std::vector<uint8_t> packet;
  int packets = 0;
  uint32_t serial = 0;
  for (size_t at = 0; v.Is(at, "OggS") && v.Has(at, 27);) {
    const uint32_t pageSerial = v.Le32(at + 14);
    if (at == 0) serial = pageSerial;
    const size_t segments = v.data[at + 26];
    if (!v.Has(at + 27, segments)) break;
    size_t data = at + 27 + segments;
    for (size_t s = 0; s < segments; ++s) {
      const size_t lace = v.data[at + 27 + s];
      const View piece = v.Part(data, lace);
      if (pageSerial == serial && packets == 1) packet.insert(packet.end(), piece.data, piece.data + piece.size);
      data += lace;
      if (lace < 255 && pageSerial == serial && ++packets == 2) return packet;
    }
    at = data;
  }
  return packet;
}

std::string OggTitle(View v) {
  const std::vector<uint8_t> bytes = OggSecondPacket(v);
  const View packet{bytes.data(), bytes.size()};
  if (packet.Is(0, "\x03vorbis")) return VorbisCommentTitle(packet.Part(7, packet.size));
  if (packet.Is(0, "OpusTags")) return VorbisCommentTitle(packet.Part(8, packet.size));
  // Ogg FLAC: a metadata block; Speex: the comment itself.
  if (packet.Has(0, 4) && (packet.data[0] & 0x7F) == 4) return VorbisCommentTitle(packet.Part(4, packet.size));
  return VorbisCommentTitle(packet);
}

// The content of the first box of that type among the boxes of v.
bool Mp4Box(View v, const char* type, View& content) {
  for (size_t at = 0; v.Has(at, 8);) {
    uint64_t size = v.Be(at, 4);
    size_t header = 8;
    if (size == 1) {
      if (!v.Has(at, 16)) return false;
      size = (uint64_t{v.Be(at + 8, 4)} << 32) | v.Be(at + 12, 4);
      header = 16;
    } else if (size == 0) {
      size = v.size - at;
    }
    if (size < header) return false;
    if (v.Is(at + 4, type)) {
      // A 64-bit box size is held to the bytes there are before it becomes
      // a size_t, so that 32- and 64-bit builds read the same content.
      content = v.Part(at + header, static_cast<size_t>(std::min<uint64_t>(size - header, v.size - at - header)));
      return true;
    }
    if (size > v.size - at) return false;
    at += static_cast<size_t>(size);
  }
  return false;
}

std::string Mp4Title(View v) {
  View moov, udta, meta, ilst, name, data;
  if (!Mp4Box(v, "moov", moov) || !Mp4Box(moov, "udta", udta) || !Mp4Box(udta, "meta", meta))
    return "";
  // The meta box is a full box (version and flags first) in MP4, a plain
  // one in some QuickTime files: there its first child's type follows.
  if (!meta.Is(4, "hdlr")) meta = meta.Part(4, meta.size);
  if (!Mp4Box(meta, "ilst", ilst) || !Mp4Box(ilst, "\xA9nam", name) || !Mp4Box(name, "data", data))
    return "";
  if (!data.Has(0, 8)) return "";
  const uint32_t kind = data.Be(0, 4) & 0xFFFFFF;
  const View text = data.Part(8, data.size);
  if (kind == 1) return TextBeforeNul(text);
  if (kind == 2) return Utf16ToUtf8(text, true);
  return "";
}

// Chunks of a RIFF (little-endian sizes) or IFF (big-endian) file, each
// padded to an even length, from at on; inList for the chunks of a LIST
// chunk, which holds no further lists.
std::string ChunkTitle(View v, size_t at, bool bigEndian, bool inList = false) {
  while (v.Has(at, 8)) {
    const uint32_t size = bigEndian ? v.Be(at + 4, 4) : v.Le32(at + 4);
    const View chunk = v.Part(at + 8, size);
    if (v.Is(at, "id3 ") || v.Is(at, "ID3 ")) {
      std::string title = Id3Title(chunk);
      if (!title.empty()) return title;
    }
    if (bigEndian && v.Is(at, "NAME")) return TextBeforeNul(chunk);
    if (!bigEndian && !inList && v.Is(at, "LIST") && chunk.Is(0, "INFO")) {
      std::string title = ChunkTitle(chunk, 4, false, true);
      if (!title.empty()) return title;
    }
    if (inList && v.Is(at, "INAM")) return TextBeforeNul(chunk);
    if (size > v.size - at - 8) break;
    at += 8 + size_t{size} + (size & 1);
  }
  return "";
}

}  // namespace

std::string TitleTag(const uint8_t* data, size_t size) {
  const View v{data, data ? size : 0};
  if (v.Is(0, "ID3")) return Id3Title(v);
  if (v.Is(0, "fLaC")) return FlacTitle(v);
  if (v.Is(0, "OggS")) return OggTitle(v);
  if (v.Is(0, "RIFF") && v.Is(8, "WAVE")) return ChunkTitle(v, 12, false);
  if (v.Is(0, "FORM") && (v.Is(8, "AIFF") || v.Is(8, "AIFC"))) return ChunkTitle(v, 12, true);
  if (v.Is(4, "ftyp")) return Mp4Title(v);
  return "";
}
