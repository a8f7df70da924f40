#include "converter/containers/stream_header.h"

#include <algorithm>
#include <cstring>

#include "converter/fatal.h"
#include "converter/file_io.h"
#include "converter/context.h"

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

}  // namespace

const char* CodecModeName(uint16_t codecFlags) {
  static const char* const kNames[6] = {"EA_ADPCM", "IMA_ADPCM", "UNCOMP_OLD", "UNCOMP_16", "UNCOMP_8", "EA_ADPCM2"};
  for (int bit = 5; bit >= 0; --bit)
    if (codecFlags & (1u << bit)) return kNames[bit];
  return "<unknown>";
}

void PrintStreamLine(ConversionContext& ctx) {
  const StreamParams& p = ctx.params;
  ctx.Print("Frequency %d, BitsPerSample %d, Channels %d, Length %d, Mode %s\n", p.frequency, p.bitsPerSample,
              p.channels, p.length, CodecModeName(p.codecFlags));
}

int ProcessHeaderFields(uint8_t* list, int listSize, FieldMode mode, const HeaderFields& fields) {
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
    return std::min(position, listSize);
  };

  int pos = 0;
  if (reader.At(0) == 'P' && reader.At(1) == 'T') {
    pos = 4;
  } else if (reader.At(0) == 0xFE) {
    pos = 1;
  } else if (reader.At(0) == 0xFF) {
    return 0;
  } else {
    Fatal("doptdata!");
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
      if (type == 0x0B) codecFlags |= EA_ADPCM2;
      int len = reader.At(pos + 1);
      pos += 2 + len + (len == 0xFF ? 4 : 0);
    }
  }
}

bool ReadStreamHeader(ConversionContext& ctx, FILE* file, int32_t& payloadLength) {
  StreamParams& params = ctx.params;
  params.channels = 1;
  params.bitsPerSample = 16;
  params.frequency = 22050;
  params.length = 0;
  params.codecFlags = EA_ADPCM;
  const int32_t limit = payloadLength;
  payloadLength = 0;

  int32_t headerSize = 0;
  bool selfSized = false;
  bool kwkSeen = false;
  int units = 0;
  uint8_t header[kHeaderBufferBytes];
  uint8_t unit[4];

  while (ReadExact(file, unit, 4)) {
    if (TagIs(unit, "PT\0", 3)) {
      if (headerSize <= 0) {
        if (unit[3] != 2) FatalNoNewline("something wrong with SCHl identifier...");
        selfSized = true;
        uint8_t sizeBytes[4];
        ReadZeroFilled(file, sizeBytes, 4);
        headerSize = GetU16LE(sizeBytes) - 8;
      }
      std::memcpy(header, unit, 4);
      // What does not fit the buffer is skipped, so the file ends up where
      // a whole read would have left it.
      int32_t wanted = std::max<int32_t>(headerSize, 0);
      int32_t fits = std::min<int32_t>(wanted, kHeaderBufferBytes - 4);
      ReadZeroFilled(file, header + 4, static_cast<size_t>(fits));
      if (wanted > fits) SkipBytes(file, wanted - fits);
      if (selfSized) {
        int64_t payload = static_cast<int64_t>(std::min(limit, kSelfSizedPayloadCap)) - headerSize - 8;
        // A payload below one byte is kept negative so that the export
        // reports it instead of walking data blocks.
        payloadLength = payload < 1 ? -1 : static_cast<int32_t>(payload);
        params.channels = 1;
        PrintStreamLine(ctx);
        return true;
      }
      ProcessHeaderFields(header, 4 + fits, FieldMode::Read,
                          HeaderFields{&params.channels, &params.frequency, &params.length, &params.codecFlags});
      payloadLength = 0;
    } else if (TagIs(unit, "TMpl", 4)) {
      uint8_t record[kTmplRecordBytes];
      ReadZeroFilled(file, record, sizeof record);
      params.bitsPerSample = record[1];
      params.channels = record[2];
      params.frequency = GetU16LE(record + 6);
      params.codecFlags = IMA_ADPCM;
      if (kwkSeen) {
        int32_t size = GetI32LE(record + 8);
        payloadLength = params.channels == 1 ? size / 2 : size;
        PrintStreamLine(ctx);
        return true;
      }
    } else if (TagIs(unit, "SCDl", 4)) {
      std::fseek(file, -4, SEEK_CUR);
      PrintStreamLine(ctx);
      return true;
    } else if (TagIs(unit, "KWK", 3)) {
      kwkSeen = true;
    } else if (TagIs(unit, "1SNh", 4)) {
      params.oneSnhSeen = true;
      uint8_t size[4];
      ReadZeroFilled(file, size, 4);
      params.oneSnhSize = GetI32LE(size);
    } else if (TagIs(unit, "EACS", 4)) {
      params.eacsSeen = true;
      uint8_t record[kEacsRecordBytes];
      ReadZeroFilled(file, record, sizeof record);
      params.frequency = GetU16LE(record);
      params.channels = record[5];
      payloadLength = GetI32LE(record + 8);
      params.codecFlags = IMA_ADPCM;
      if (!params.oneSnhSeen) return true;
      // Lands at the end of the 1SNh block: its size counts the tag, the
      // size, the EACS tag and the record (40 bytes) before the rest.
      if (params.oneSnhSize > 40) SkipBytes(file, params.oneSnhSize - 40);
      payloadLength = 0;
      PrintStreamLine(ctx);
      return true;
    } else if (TagIs(unit, "1SNd", 4)) {
      return true;
    } else if (TagIs(unit, "SCHl", 4)) {
      uint8_t size[4];
      ReadZeroFilled(file, size, 4);
      headerSize = GetI32LE(size);
    } else if (TagIs(unit, "BNKl", 4)) {
      selfSized = true;
      headerSize = 100;
    }
    if (++units > kMaxUnitsScanned) return false;
  }
  return false;
}
