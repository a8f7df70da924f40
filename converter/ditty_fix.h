// NHL 2000: writes the data offsets of the rebuilt ditty archives into the
// tables inside the game program.
#pragma once

#include <cstdint>

// Returns 1 when at least one table value changed, -1 otherwise.
int PatchOffsetTable(uint8_t* image, long imageSize, const char* archivePath, const uint8_t* signature,
                     int signatureLength);

// The whole "-nhl2kdittyfix" mode, in the current directory. Returns false
// when it failed or wrote nothing because no table could be updated.
bool RunDittyFix();
