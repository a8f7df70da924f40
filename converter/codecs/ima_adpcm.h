// IMA ADPCM as EA streams carry it: high nibble first (mono), or the high
// nibble for channel 1 and the low nibble for channel 2 (stereo).
#pragma once

#include <cstdint>

// Per channel predictor and step index; the decoder carries them on from
// byte to byte and call to call.
struct ImaState {
  int16_t predictor[2] = {0, 0};
  int stepIndex[2] = {0, 0};
};

// The state a block header's four 16-bit fields give (predictor 1, step
// index 1, predictor 2, step index 2).
ImaState LoadImaState16(const uint8_t* fields);
// The state four 32-bit fields give (step index 1, step index 2,
// predictor 1, predictor 2).
ImaState LoadImaState32(const uint8_t* fields);

// Decodes count bytes into 4 x count output bytes and returns the end of
// what it wrote. channels 2 gives the low nibbles to channel 2; any other
// count codes both nibbles on channel 1.
uint8_t* DecodeIma(const uint8_t* source, uint8_t* destination, int32_t count, int channels, ImaState& state);
