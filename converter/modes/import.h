// The import mode: a WAV file re-encoded in the coding of an original.
#pragma once

#include <cstdio>

#include "converter/api/records.h"
#include "converter/containers/memory_reader.h"

struct ConversionContext;

tonepak::Status RunImport(ConversionContext& ctx, const tonepak::ImportRequest& request);

// Examines the original sound: its kind (codecFlags becomes ORIG_PT,
// ORIG_SCHL or ORIG_BNK, plus EA_ADPCM2 from the header), channels,
// frequency, length and the header copy; for a bank, the sample of slot
// (a negative slot asks for the kind only). An SCHl original is left just
// behind the tag of its first data block.
void ProbeOriginal(ConversionContext& ctx, FILE* original, int slot);

// The same for a stream original in memory (SCHl or bare "PT"), without the
// message; false for any other kind.
bool ProbeStreamOriginal(ConversionContext& ctx, MemoryReader& original);
