// Straightforward EA ADPCM search: every candidate coded in full into a
// candidate store, all 16 codes scanned per sample. The fast encoder must
// give exactly these bytes; the benchmarks measure it as the baseline.
#pragma once

#include <cstdint>

#include "converter/codecs/ea_adpcm.h"

namespace reference {

uint8_t* EncodeMono(const int16_t* samples, uint8_t* output, EaAdpcmState& state, int32_t byteCount);
uint8_t* EncodeStereo(const int16_t* samples, uint8_t* output, EaAdpcmState& state, int32_t byteCount);
// channels 2 with split set codes all left frames, then all right frames.
uint8_t* Encode(const int16_t* pcm, uint8_t* output, EaAdpcmState& state, int32_t byteCount, int channels, bool split);

}  // namespace reference
