// The import's PCM source: the input WAV's samples turned into the
// original's rate and channel count, one block at a time.
#pragma once

#include <cstdint>
#include <cstdio>

// The one rate conversion the import knows.
enum class RateStep { Same, Double, Halve };
RateStep WaveRateStep();

// PCM bytes, in the original's form, that waveBytes of WAV data become.
// Equal to waveBytes when neither rate nor channels change; whole sample
// frames otherwise. Never negative.
int32_t ConvertedByteCount(int32_t waveBytes);

// Fills n bytes of 16-bit host-order PCM at the original's frequency and
// channel count; what the WAV no longer has is zero.
void ReadWaveSamples(uint8_t* buffer, int32_t n, FILE* wav);
