// IMA ADPCM as EA streams carry it: high nibble first (mono), or the high
// nibble for channel 1 and the low nibble for channel 2 (stereo).
#pragma once

#include <cstdint>

#include "../state.h"

// Loads the decoder state from a block header's four 16-bit fields
// (predictor 1, step index 1, predictor 2, step index 2).
void LoadImaState16(const uint8_t* fields, int32_t count);
// Loads it from four 32-bit fields (step index 1, step index 2,
// predictor 1, predictor 2).
void LoadImaState32(const uint8_t* fields, int32_t count);

// Both decode ImaState.count bytes into 4 x count output bytes and return
// the end of what they wrote.
uint8_t* DecodeImaMono(const uint8_t* source, uint8_t* destination);
uint8_t* DecodeImaStereo(const uint8_t* source, uint8_t* destination);
