// "-import <wave file> <destination file> <original sound> [bnk]".
#pragma once

#include <cstdio>

#include "converter/modes/mode_result.h"

// argv[1] is "-import"; the caller has checked that argc >= 5.
ModeResult RunImport(int argc, char** argv);

// Examines the original sound: its kind (codecFlags becomes ORIG_PT,
// ORIG_SCHL or ORIG_BNK, plus EA_ADPCM2 from the header), channels,
// frequency, length and the header copy; for a bank, the sample of slot
// (a negative slot asks for the kind only). An SCHl original is left just
// behind the tag of its first data block.
void ProbeOriginal(FILE* original, int slot);
