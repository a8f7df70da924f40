#include "ditty_fix.h"

// Placeholder until the ditty fix lands.
int PatchOffsetTable(uint8_t*, long, const char*, const uint8_t*, int) { return -1; }
bool RunDittyFix() { return false; }
