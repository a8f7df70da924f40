// BNK sound banks: a table of sample headers ("PT" field lists) and the
// samples' coded audio further on in the file.
#pragma once

#include <cstdint>
#include <cstdio>

struct ConversionContext;

constexpr int kBankHeaderBytes = 1000;

// Reads slot's sample header (up to kBankHeaderBytes) into header. Returns 1
// when the slot holds a sample, 0 when it is empty, -1 when slot is outside
// the table. headerBytes (optional) receives how many header bytes were read,
// headerPosition (optional) the header's file position. The part of header
// beyond the bytes read is filled with FFh, so a list that runs past them
// ends there. A bad magic or version is fatal.
int FindBankSample(FILE* bank, uint8_t* header, int slot, int32_t* headerPosition = nullptr,
                   int* headerBytes = nullptr);

// Writes every sample of the bank (file positioned behind its magic) to
// NNN.wav in the current directory (or the context's bank folder). Returns false on failure.
bool ExportBank(ConversionContext& ctx, FILE* bank, int forcedMode);
