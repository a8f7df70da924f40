// NHL 2000: writes the data offsets of the rebuilt ditty archives into the
// tables inside the game program.
#pragma once

#include <cstdint>
#include <string>

#include "converter/api/records.h"


// Writes the data offsets of the BIGF archive at archivePath into the table
// that follows signature in image. Returns 1 when at least one table value
// changed, 0 when the table already matched the archive, -1 when the
// signature was not found or the archive could not be opened.
struct ConversionContext;

int PatchOffsetTable(ConversionContext& ctx, uint8_t* image, long imageSize, const char* archivePath, const uint8_t* signature,
                     int signatureLength);

// The whole "-nhl2kdittyfix" mode, in folder (empty: the current directory). Fails when a
// file could not be read or written (and asks for the usage then) or when a
// table could not be updated and nothing was written; both tables already
// matching is success.
tonepak::Status RunDittyFix(ConversionContext& ctx, const std::string& folder);
