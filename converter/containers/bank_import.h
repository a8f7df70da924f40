// Replacing one sample of a BNK bank with new audio: the bank is rebuilt in
// memory around the new coded data and written in one piece.
#pragma once

#include <cstdint>
#include <cstdio>

#include "converter/support/file_io.h"

struct ConversionContext;

// Codes pcmBytes of WAV audio into the sample the probe found (its data
// offset in the import state) and writes the whole bank to destination.
// It returns only once the destination is complete; every failure is fatal.
void ImportBankSample(ConversionContext& ctx, int32_t pcmBytes, FILE* wav, FileHandle bank, const char* destination);

// Length field for a bank sample of pcmBytes (never negative).
int32_t NewBankSampleLength(int32_t pcmBytes, int channels);
