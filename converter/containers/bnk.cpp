#include "bnk.h"

// Placeholder until the bank reader lands.
int FindBankSample(FILE*, uint8_t*, int, int32_t*, int*) { return -1; }
bool ExportBank(FILE*, int) { return false; }
