// Numbered run-time errors. The manager's error rules (the start-up's "path
// not found" test, the save's "Error n° <number>" message) depend on the
// numbers, so every platform failure is reported as one of these.
#pragma once

#include <stdexcept>
#include <string>

constexpr long ErrFileNotFound = 53;
constexpr long ErrDiskFull = 61;
constexpr long ErrPermissionDenied = 70;
constexpr long ErrPathFileAccess = 75;
constexpr long ErrPathNotFound = 76;

class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(long number, const std::string& description)
      : std::runtime_error(description), Number(number), Description(description) {}
  // The description the runtime gives each of the numbers above.
  explicit RuntimeError(long number) : RuntimeError(number, StandardDescription(number)) {}

  static std::string StandardDescription(long number) {
    switch (number) {
      case ErrFileNotFound: return "File not found";
      case ErrDiskFull: return "Disk full";
      case ErrPermissionDenied: return "Permission denied";
      case ErrPathFileAccess: return "Path/File access error";
      case ErrPathNotFound: return "Path not found";
      default: return "Application-defined or object-defined error";
    }
  }

  long Number;
  std::string Description;
};
