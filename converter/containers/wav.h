// WAV files: the 16-bit PCM header written before the samples, its sizes
// rewritten after them, and the checks of an input WAV for an import.
#pragma once

#include <cstdint>
#include <cstdio>

constexpr int kWavHeaderBytes = 44;

// Writes the 44-byte header with StreamParams channels and frequency and
// placeholders for the sizes.
void WriteWavHeader(FILE* wav);

// Rewrites the sizes and the format fields once dataBytes were written; a
// finished file never announces less than 22050 Hz.
void FinishWavHeader(FILE* wav, uint32_t dataBytes);

// Checks an input WAV, sets StreamParams channels and waveFrequency and
// leaves the file at the first sample byte. Returns the data byte count.
// Failures are fatal.
int32_t ReadWaveInput(FILE* wav);
