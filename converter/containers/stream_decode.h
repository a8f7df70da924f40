// Stream data to PCM: the block walk of SCDl/1SNd streams, whole payloads,
// and the decoding of one block's data by its codec.
#pragma once

#include <cstdint>
#include <cstdio>

constexpr int32_t kMaxBlockField = 8000;
constexpr size_t kBlockInputBytes = 50000;
constexpr size_t kBlockOutputBytes = 200000;

// The fields read behind a data block's tag (at most 24 bytes).
struct BlockHeader {
  uint8_t bytes[24] = {};
};

// Finds the next "SCDl" or "1SNd" tag and leaves the file behind it.
bool FindNextDataBlock(FILE* file);

// Decodes every data block up to the end of the file into the WAV file and
// finishes its header. forcedMode is -1 or a mode number minus 1.
bool DecodeBlocks(FILE* input, FILE* wav, int forcedMode);

// Decodes one payload of payloadLength bytes into the WAV file.
bool DecodePayload(FILE* input, FILE* wav, int32_t payloadLength);

// Decodes one block's data by codecFlags. Returns the end of the PCM
// written, or nullptr when codecFlags names no codec it can decode.
// dataSize is the number of valid bytes in data; the input buffer must have
// room for a whole last frame beyond the count.
uint8_t* DecodeBlock(const uint8_t* data, uint8_t* output, int32_t count, const BlockHeader& header);
