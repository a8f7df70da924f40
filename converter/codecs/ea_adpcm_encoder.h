// EA ADPCM encoder: analysis by synthesis over the coefficient pairs and
// scales of the decoder, keeping the candidate with the smallest error cost.
#pragma once

#include <cstdint>

#include "ea_adpcm.h"

// Driver: codes byteCount bytes of 16-bit PCM (host order, channels
// interleaved) by StreamParams channels and the EA_ADPCM2 bit. Split stereo
// writes all left frames, then all right frames. Returns the output end;
// no output at all is fatal.
uint8_t* EncodeEaAdpcm(const int16_t* pcm, uint8_t* output, EaAdpcmState& state, int32_t byteCount);

// ceil(byteCount / 56) frames of 15 bytes from current 1 / previous 1.
uint8_t* EncodeEaAdpcmMono(const int16_t* samples, uint8_t* output, EaAdpcmState& state, int32_t byteCount);

// ceil(byteCount / 112) frames of 30 bytes from all four history values.
uint8_t* EncodeEaAdpcmStereo(const int16_t* samples, uint8_t* output, EaAdpcmState& state, int32_t byteCount);

// The code of row scale nearest to sample - prediction (ties keep the lower
// code); adds the residual's cost to cost.
int NearestCode(int sample, int prediction, int scale, uint32_t& cost);
