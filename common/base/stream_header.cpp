#include "common/base/stream_header.h"

#include <algorithm>
#include <cstring>

#include "common/base/byte_order.h"

namespace kickora {

namespace {

constexpr int32_t kSelfSizedPayloadCap = 500000;
constexpr int kTmplRecordBytes = 32;
constexpr int kEacsRecordBytes = 28;

// A list byte; the header buffer behaves as if FFh followed its end.
struct ListReader {
  const uint8_t* list;
  int size;
  uint8_t At(int position) const { return position >= 0 && position < size ? list[position] : 0xFF; }
};

// Value bytes are big-endian; of more than four only the last four count.
uint32_t ReadValue(const ListReader& reader, int position, int length) {
  uint32_t value = 0;
  for (int i = 0; i < length; ++i) value = (value << 8) | reader.At(position + i);
  return value;
}

// Writes the low bytes of value big-endian; a field wider than four bytes
// gets the four value bytes first and zeros behind them. Fields that run
// past the buffer are left alone.
void PatchValue(uint8_t* list, int listSize, int position, int length, uint32_t value) {
  if (position < 0 || length < 0 || position + length > listSize) return;
  int valueBytes = std::min(length, 4);
  for (int i = 0; i < valueBytes; ++i) list[position + i] = static_cast<uint8_t>(value >> (8 * (valueBytes - 1 - i)));
  for (int i = valueBytes; i < length; ++i) list[position + i] = 0;
}

bool TagIs(const uint8_t* unit, const char* tag, size_t length) { return std::memcmp(unit, tag, length) == 0; }

// Bytes in memory as a source. The position never passes the end, which
// reads the same as a file position beyond it. Remembers whether a read
// had to invent bytes, so that a summary never trusts a cut-off header.
class MemorySource final : public ByteSource {
 public:
  MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool ReadExact(uint8_t* buffer, size_t count) override {
    if (Left() < count) {
      position_ = size_;
      return false;
    }
    ReadZeroFilled(buffer, count);
    return true;
  }

  void ReadZeroFilled(uint8_t* buffer, size_t count) override {
    const size_t got = std::min(count, Left());
    if (got > 0) std::memcpy(buffer, data_ + position_, got);
    if (got < count) {
      std::memset(buffer + got, 0, count - got);
      ranShort_ = true;
    }
    position_ += got;
  }

  void Skip(long count) override {
    if (count >= 0) {
      position_ += std::min(Left(), static_cast<size_t>(count));
    } else {
      const size_t back = static_cast<size_t>(-(count + 1)) + 1;
      position_ = back > position_ ? 0 : position_ - back;
    }
  }

  bool RanShort() const { return ranShort_; }

 private:
  size_t Left() const { return size_ - position_; }

  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
  bool ranShort_ = false;
};

}  // namespace

FieldListResult WalkFieldList(uint8_t* list, int listSize, FieldMode mode, const HeaderFields& fields) {
  ListReader reader{list, listSize};
  int16_t channels = fields.channels ? *fields.channels : 1;
  int32_t frequency = fields.frequency ? *fields.frequency : 22050;
  int32_t length = fields.length ? *fields.length : 0;
  uint16_t codecFlags = fields.codecFlags ? *fields.codecFlags : 0;
  int32_t dataOffset = fields.dataOffset ? *fields.dataOffset : 0;
  const bool patch = mode == FieldMode::Patch;

  auto finish = [&](int position) {
    if (!patch) {
      if (fields.channels) *fields.channels = channels;
      if (fields.frequency) *fields.frequency = frequency;
      if (fields.length) *fields.length = length;
      if (fields.dataOffset) *fields.dataOffset = dataOffset;
    }
    if (fields.codecFlags) *fields.codecFlags = codecFlags;
    return FieldListResult{true, std::min(position, listSize)};
  };

  int pos = 0;
  if (reader.At(0) == 'P' && reader.At(1) == 'T') {
    pos = 4;
  } else if (reader.At(0) == 0xFE) {
    pos = 1;
  } else if (reader.At(0) == 0xFF) {
    return FieldListResult{true, 0};
  } else {
    return FieldListResult{false, 0};
  }

  for (;;) {
    uint8_t type = reader.At(pos);
    if (type == 0xFC) {
      ++pos;
    } else if (type == 0xFE || type == 0xFF) {
      return finish(pos);
    } else if (type == 0xFD) {
      ++pos;
      for (;;) {
        uint8_t sub = reader.At(pos);
        if (sub == 0xFF) return finish(pos);
        int len = reader.At(pos + 1);
        int valuePos = pos + 2;
        pos = valuePos + len;
        if (sub == 0x8A) break;
        uint32_t value = ReadValue(reader, valuePos, len);
        switch (sub) {
          case 0x82:
            if (!patch) channels = static_cast<int16_t>(value & 0xFFFF);
            else if (fields.channels) PatchValue(list, listSize, valuePos, len, static_cast<uint32_t>(channels));
            break;
          case 0x84:
            if (!patch) frequency = static_cast<int32_t>(value);
            else if (fields.frequency) PatchValue(list, listSize, valuePos, len, static_cast<uint32_t>(frequency));
            break;
          case 0x85:
            if (!patch) length = static_cast<int32_t>(value);
            else if (fields.length) PatchValue(list, listSize, valuePos, len, static_cast<uint32_t>(length));
            break;
          case 0x88:
            if (!patch) dataOffset = static_cast<int32_t>(value);
            else if (fields.dataOffset) PatchValue(list, listSize, valuePos, len, static_cast<uint32_t>(dataOffset));
            break;
          default:
            break;
        }
      }
    } else {
      if (type == 0x0B) codecFlags |= kCodecEaAdpcm2;
      int len = reader.At(pos + 1);
      pos += 2 + len + (len == 0xFF ? 4 : 0);
    }
  }
}

ScanResult ScanStreamHeader(ByteSource& source, int32_t payloadLimit, StreamHeaderInfo& info) {
  constexpr ScanResult kAnnounced{ScanStatus::Found, true};
  constexpr ScanResult kQuiet{ScanStatus::Found, false};
  info.channels = 1;
  info.bitsPerSample = 16;
  info.frequency = 22050;
  info.length = 0;
  info.codecFlags = kCodecEaAdpcm;
  info.payloadLength = 0;

  int32_t headerSize = 0;
  bool selfSized = false;
  bool kwkSeen = false;
  int units = 0;
  uint8_t header[kHeaderBufferBytes];
  uint8_t unit[4];

  while (source.ReadExact(unit, 4)) {
    if (TagIs(unit, "PT\0", 3)) {
      if (headerSize <= 0) {
        if (unit[3] != 2) return ScanResult{ScanStatus::BadSelfSizedPt, false};
        selfSized = true;
        uint8_t sizeBytes[4];
        source.ReadZeroFilled(sizeBytes, 4);
        headerSize = GetU16LE(sizeBytes) - 8;
      }
      std::memcpy(header, unit, 4);
      // What does not fit the buffer is skipped, so the source ends up where
      // a whole read would have left it.
      int32_t wanted = std::max<int32_t>(headerSize, 0);
      int32_t fits = std::min<int32_t>(wanted, kHeaderBufferBytes - 4);
      source.ReadZeroFilled(header + 4, static_cast<size_t>(fits));
      if (wanted > fits) source.Skip(wanted - fits);
      if (selfSized) {
        int64_t payload = static_cast<int64_t>(std::min(payloadLimit, kSelfSizedPayloadCap)) - headerSize - 8;
        // A payload below one byte is kept negative so that the export
        // reports it instead of walking data blocks.
        info.payloadLength = payload < 1 ? -1 : static_cast<int32_t>(payload);
        info.channels = 1;
        return kAnnounced;
      }
      FieldListResult list = WalkFieldList(header, 4 + fits, FieldMode::Read,
                                           HeaderFields{&info.channels, &info.frequency, &info.length, &info.codecFlags});
      if (!list.wellFormed) return ScanResult{ScanStatus::BadFieldList, false};
      info.payloadLength = 0;
    } else if (TagIs(unit, "TMpl", 4)) {
      uint8_t record[kTmplRecordBytes];
      source.ReadZeroFilled(record, sizeof record);
      info.bitsPerSample = record[1];
      info.channels = record[2];
      info.frequency = GetU16LE(record + 6);
      info.codecFlags = kCodecImaAdpcm;
      if (kwkSeen) {
        int32_t size = GetI32LE(record + 8);
        info.payloadLength = info.channels == 1 ? size / 2 : size;
        return kAnnounced;
      }
    } else if (TagIs(unit, "SCDl", 4)) {
      // The data block is the caller's to read, tag and all.
      source.Skip(-4);
      return kAnnounced;
    } else if (TagIs(unit, "KWK", 3)) {
      kwkSeen = true;
    } else if (TagIs(unit, "1SNh", 4)) {
      info.oneSnhSeen = true;
      uint8_t size[4];
      source.ReadZeroFilled(size, 4);
      info.oneSnhSize = GetI32LE(size);
    } else if (TagIs(unit, "EACS", 4)) {
      info.eacsSeen = true;
      uint8_t record[kEacsRecordBytes];
      source.ReadZeroFilled(record, sizeof record);
      info.frequency = GetU16LE(record);
      info.channels = record[5];
      info.payloadLength = GetI32LE(record + 8);
      info.codecFlags = kCodecImaAdpcm;
      if (!info.oneSnhSeen) return kQuiet;
      // Lands at the end of the 1SNh block: its size counts the tag, the
      // size, the EACS tag and the record (40 bytes) before the rest.
      if (info.oneSnhSize > 40) source.Skip(info.oneSnhSize - 40);
      info.payloadLength = 0;
      return kAnnounced;
    } else if (TagIs(unit, "1SNd", 4)) {
      return kQuiet;
    } else if (TagIs(unit, "SCHl", 4)) {
      uint8_t size[4];
      source.ReadZeroFilled(size, 4);
      headerSize = GetI32LE(size);
    } else if (TagIs(unit, "BNKl", 4)) {
      selfSized = true;
      headerSize = 100;
    }
    if (++units > kMaxUnitsScanned) return ScanResult{};
  }
  return ScanResult{};
}

bool ReadStreamSummary(const uint8_t* data, size_t size, StreamSummary& out) {
  MemorySource source(data, size);
  StreamHeaderInfo info;
  const int32_t limit = static_cast<int32_t>(std::min<size_t>(size, INT32_MAX));
  ScanResult result = ScanStreamHeader(source, limit, info);
  if (result.status != ScanStatus::Found || source.RanShort()) return false;
  out = StreamSummary{info.channels, info.frequency, info.length};
  return true;
}

}  // namespace kickora
