// The import's PCM source: the input WAV's samples turned into the
// original's rate and channel count, one block at a time.
#pragma once

#include <cstdint>
#include <cstdio>

#include "converter/containers/memory_reader.h"

struct ConversionContext;
struct StreamParams;

// The one rate conversion the import knows.
enum class RateStep { Same, Double, Halve };
RateStep WaveRateStep(const StreamParams& p);

// PCM bytes, in the original's form, that waveBytes of WAV data become.
// Equal to waveBytes when neither rate nor channels change; whole sample
// frames otherwise. Never negative.
int32_t ConvertedByteCount(const ConversionContext& ctx, int32_t waveBytes);

// Fills n bytes of 16-bit host-order PCM at the original's frequency and
// channel count; what the WAV no longer has is zero.
void ReadWaveSamples(ConversionContext& ctx, uint8_t* buffer, int32_t n, SampleInput& input);
void ReadWaveSamples(ConversionContext& ctx, uint8_t* buffer, int32_t n, FILE* wav);
