// BIGF and C0FB archives: every stream of every entry goes to its own WAV.
#pragma once

#include <cstdio>

struct ConversionContext;

// archive is open at any position; isBigf tells the two directory layouts
// apart. Returns false on failure.
bool ScanBigArchive(ConversionContext& ctx, FILE* archive, bool isBigf, int forcedMode);
