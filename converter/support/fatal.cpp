#include "converter/support/fatal.h"

#include <cstdarg>
#include <cstdio>

void Fatal(const char* format, ...) {
  char message[1000];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  throw FatalError(message, true);
}

void FatalNoNewline(const char* message) { throw FatalError(message, false); }
