// The one reader of EA stream headers, shared by the converter and the song
// manager: the "PT" field list and the scan for a stream's start (SCHl with
// its field list, self-sized "PT", KWK/TMpl, 1SNh/EACS, BNKl). It prints
// nothing and throws nothing: the converter turns the results into its
// messages, the manager into a song's length.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kickora {

// Codec bits of a stream's codecFlags that the header itself decides (the
// converter names the whole set).
constexpr uint16_t kCodecEaAdpcm = 0x0001;
constexpr uint16_t kCodecImaAdpcm = 0x0002;
constexpr uint16_t kCodecEaAdpcm2 = 0x0020;

// A SCHl header is read into a buffer of this size; the rest is skipped.
constexpr int kHeaderBufferBytes = 1000;
// Four-byte units looked at before a scan gives up on finding a stream.
constexpr int kMaxUnitsScanned = 10000;

enum class FieldMode { Read, Patch };

// Optional values of a "PT" field list; a null pointer is neither read nor
// patched.
struct HeaderFields {
  int16_t* channels = nullptr;
  int32_t* frequency = nullptr;
  int32_t* length = nullptr;
  uint16_t* codecFlags = nullptr;
  int32_t* dataOffset = nullptr;
};

struct FieldListResult {
  // False when the list began with neither "PT", FEh nor FFh; nothing was
  // then read or patched.
  bool wellFormed = true;
  // Offset, from the list, of the FEh/FFh byte that ended it (at most the
  // list's size).
  int end = 0;
};

// Reads (or patches) one "PT" field list starting at list[0]. Never touches
// a byte past listSize: beyond them the list reads as if FFh followed.
FieldListResult WalkFieldList(uint8_t* list, int listSize, FieldMode mode, const HeaderFields& fields);

// Where a header scan reads from. The converter reads its FILE (reads past
// the end come back zero-filled, skips may pass the end), the manager a
// buffer in memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads exactly count bytes; false when the source ends first.
  virtual bool ReadExact(uint8_t* buffer, size_t count) = 0;
  // Reads up to count bytes; the bytes the source does not have are zeroed.
  virtual void ReadZeroFilled(uint8_t* buffer, size_t count) = 0;
  // Moves the position by count bytes. The scan steps back only over the
  // four bytes it has just read.
  virtual void Skip(long count) = 0;
};

// The stream's parameters as its header gives them.
struct StreamHeaderInfo {
  int16_t channels = 1;
  int16_t bitsPerSample = 16;
  int32_t frequency = 22050;
  int32_t length = 0;  // in samples; 0 when the header gives none
  uint16_t codecFlags = kCodecEaAdpcm;
  // These three carry over from one scan of a file to the next (a 1SNh
  // block announces the EACS records of the streams behind it).
  bool eacsSeen = false;
  bool oneSnhSeen = false;
  int32_t oneSnhSize = 0;
  // Bytes of a self-sized payload (0 for block-structured streams; -1 for a
  // self-sized stream that has no room left for one).
  int32_t payloadLength = 0;
};

enum class ScanStatus {
  Found,
  NotFound,        // the source ended, or kMaxUnitsScanned units held no stream
  BadSelfSizedPt,  // a "PT" unit that is neither in a SCHl block nor self-sized
  BadFieldList,    // a field list that WalkFieldList calls malformed
};

struct ScanResult {
  ScanStatus status = ScanStatus::NotFound;
  // Found: the converter announces the stream with its parameters (all but
  // a bare EACS record and a 1SNd block).
  bool announced = false;
};

// Finds the next stream from the source's position and leaves the source
// where its data starts. payloadLimit is the most a self-sized payload may
// take. Resets info's parameters, except the three that carry over, and
// fills them as far as the scan got, whatever the result.
ScanResult ScanStreamHeader(ByteSource& source, int32_t payloadLimit, StreamHeaderInfo& info);

// What the song manager shows of a stream.
struct StreamSummary {
  int channels;
  int32_t frequency;
  int32_t sampleCount;  // the header's length field; 0 when it gives none
};

// Scans the first stream header in data[0, size) and fills out. The caller
// passes a bounded head of the file (the manager reads at most 64 KiB), not
// the whole file: a header lies at a stream's start. Returns true only when
// a header was found whole within those bytes and was not damaged; no byte
// past size is read.
bool ReadStreamSummary(const uint8_t* data, size_t size, StreamSummary& out);

}  // namespace kickora
