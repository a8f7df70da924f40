// WAV files: the 16-bit PCM header written before the samples, its sizes
// rewritten after them, and the checks of an input WAV for an import.
#pragma once

#include <cstdint>
#include <cstdio>

struct StreamParams;

constexpr int kWavHeaderBytes = 44;

// Writes the 44-byte header with the stream's channels and frequency and
// placeholders for the sizes.
void WriteWavHeader(FILE* wav, const StreamParams& p);

// The rate a finished WAV file announces for the stream: never less than
// 22050 Hz (streams whose header tells none decode with a rate of 0).
int32_t WavFileRate(const StreamParams& p);

// Rewrites the sizes and the format fields once dataBytes were written, at
// WavFileRate.
void FinishWavHeader(FILE* wav, const StreamParams& p, uint32_t dataBytes);

// Checks an input WAV, sets the params' channels and waveFrequency and
// leaves the file at the first sample byte. Returns the data byte count.
// Failures are fatal. This is not the base library's chunk reader: the
// import takes the format from its fixed place behind the RIFF header and
// looks for the "data" tag byte by byte, so it takes (and refuses, with
// its own messages) other files than a chunk walk would.
int32_t ReadWaveInput(FILE* wav, StreamParams& p);
