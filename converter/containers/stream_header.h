// Stream headers: SCHl with its "PT" field list, self-sized "PT", KWK/TMpl,
// 1SNh/EACS. Fills the context's stream parameters and leaves the file where
// the data starts.
#pragma once

#include <cstdint>
#include <cstdio>

struct ConversionContext;

constexpr int kHeaderBufferBytes = 1000;
constexpr int kMaxUnitsScanned = 10000;

// Finds the next stream in the file. payloadLength is in/out: on entry the
// most a self-sized payload may take, on return the payload length in bytes
// (0 for block-structured streams). Returns true when a stream was found.
bool ReadStreamHeader(ConversionContext& ctx, FILE* file, int32_t& payloadLength);

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

// Reads (or patches) one "PT" field list starting at list[0]. Returns the
// offset, from list, of the FEh/FFh byte that ended it. The list never reads
// past listSize bytes: beyond them it behaves as if FFh followed.
int ProcessHeaderFields(uint8_t* list, int listSize, FieldMode mode, const HeaderFields& fields);

// Name of the highest codec bit set in codecFlags, or "<unknown>".
const char* CodecModeName(uint16_t codecFlags);

// "Frequency %d, BitsPerSample %d, Channels %d, Length %d, Mode %s\n".
void PrintStreamLine(ConversionContext& ctx);
