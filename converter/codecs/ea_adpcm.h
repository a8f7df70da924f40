// EA ADPCM: four-bit codes with two-tap prediction, 28 samples per frame.
// The coefficient pairs and DeltaTable are shared with the encoder.
#pragma once

#include <cstdint>

#include "converter/codecs/decode_events.h"

struct EaAdpcmState {
  int32_t count = 0;  // mono: data bytes; stereo: samples per channel
  int32_t current1 = 0;
  int32_t previous1 = 0;
  int32_t current2 = 0;
  int32_t previous2 = 0;
  // The decoder records clipped samples and corrupt frames here (none: they
  // go unrecorded).
  DecodeEvents* events = nullptr;
};

// c1 weighs the most recent sample, c2 the one before it (exact in float).
extern const float kEaCoef1[4];
extern const float kEaCoef2[4];

// DeltaTable[s][n] = signed(n) * step(s); built on first use.
using DeltaTableRows = float[16][16];
const DeltaTableRows& DeltaTable();

// Saturating truncation of a history value to 32 bits.
int32_t TruncateHistory(float value);

// Mono: 15-byte frames; decodes state.count / 15 frames. Returns the end of
// the 16-bit little-endian samples written.
uint8_t* DecodeEaAdpcmMono(const uint8_t* source, uint8_t* destination, EaAdpcmState& state);

// Stereo: 30-byte frames of interleaved channels; decodes
// ceil(state.count / 28) frames. Returns the end of what it wrote.
uint8_t* DecodeEaAdpcmStereo(const uint8_t* source, uint8_t* destination, EaAdpcmState& state);
