// Fatal errors end a converter run. They are raised as one exception type that
// the entry catches, prints and turns into the exit status, so that every
// mode stays testable in-process.
#pragma once

#include <stdexcept>
#include <string>

struct FatalError : std::runtime_error {
  // appendNewline is false for the one message that ends without a line break.
  FatalError(const std::string& message, bool appendNewline)
      : std::runtime_error(message), appendNewline(appendNewline) {}
  bool appendNewline;
};

// Formats a message of at most 999 characters and ends the run with it
// (a line break is added when it is printed).
[[noreturn]] void Fatal(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Ends the run with a message printed exactly as given, without a line break.
[[noreturn]] void FatalNoNewline(const char* message);
