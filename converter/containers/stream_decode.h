// Stream data to PCM: the block walk of SCDl/1SNd streams, whole payloads,
// and the decoding of one block's data by its codec.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "converter/codecs/decode_events.h"
#include "converter/containers/memory_reader.h"

struct ConversionContext;

constexpr int32_t kMaxBlockField = 8000;
constexpr size_t kBlockInputBytes = 50000;
constexpr size_t kBlockOutputBytes = 200000;

// The fields read behind a data block's tag (at most 24 bytes).
struct BlockHeader {
  uint8_t bytes[24] = {};
};

// Finds the next "SCDl" or "1SNd" tag and leaves the file (or memory) behind
// it.
bool FindNextDataBlock(FILE* file);
bool FindNextDataBlock(MemoryReader& memory);

// Where decoded PCM goes: a WAV file begun by WriteWavHeader (its header is
// finished once the stream is decoded), or bytes in memory, the same bytes
// the WAV file's data chunk gets.
struct PcmOut {
  PcmOut(FILE* file) : wav(file) {}
  PcmOut(std::vector<uint8_t>& bytes) : memory(&bytes) {}
  FILE* wav = nullptr;
  std::vector<uint8_t>* memory = nullptr;
};

// Decodes every data block up to the end of the file into out (a WAV file's
// header is finished). forcedMode is -1 or a mode number minus 1.
bool DecodeBlocks(ConversionContext& ctx, FILE* input, PcmOut out, int forcedMode);

// Decodes one payload of payloadLength bytes into out.
bool DecodePayload(ConversionContext& ctx, FILE* input, PcmOut out, int32_t payloadLength);

// How a block's data is coded: the stream's codec bits, its channel count,
// whether an EACS header announced it (its IMA fields are 32-bit), and where
// the EA ADPCM decoders record clipped samples and corrupt frames (none: not
// recorded).
struct BlockCoding {
  uint16_t codecFlags = 0;
  int channels = 1;
  bool eacsSeen = false;
  DecodeEvents* events = nullptr;
};

struct DecodedBlock {
  uint8_t* end = nullptr;  // end of the PCM written; nullptr: no codec decodes it
  int bitsPerSample = 16;  // of the samples as the block carries them (8: widened)
};

// Decodes one block's data, count by the codec's unit, by the highest-ranking
// codec bit (IMA ADPCM, EA_ADPCM2, EA ADPCM, uncompressed). The input must
// have room for a whole last frame beyond count, and EA_ADPCM2 reads the
// second channel behind the first.
DecodedBlock DecodeBlock(const uint8_t* data, uint8_t* output, int32_t count, const BlockHeader& header,
                         const BlockCoding& coding);
