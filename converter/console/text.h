// Number parsing as the command line and the build date need it.
#pragma once

// Decimal integer with leading white space and a sign; stops at the first
// non-digit and saturates instead of overflowing.
long ParseDecimal(const char* text);
