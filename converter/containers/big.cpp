#include "big.h"

// Placeholder until the archive scanner lands.
bool ScanBigArchive(FILE*, bool, int) { return false; }
