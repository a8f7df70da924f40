#include "converter/messages.h"

#include <cstdio>

#include "converter/fatal.h"

namespace {

constexpr char kWriteError[] = "write error (disk full?)";
constexpr char kCouldNotOpen[] = "couldn't open '%s'\n";

}  // namespace

bool ReportWriteError() {
  std::printf("%s\n", kWriteError);
  return false;
}

void FatalWriteError() { Fatal("%s", kWriteError); }

bool ReportNoData() {
  std::fputs("decoder returned no data!?\n", stdout);
  return false;
}

bool ReportCouldNotOpen(const char* name) {
  std::printf(kCouldNotOpen, name);
  return false;
}

bool ReportCouldNotOpenForWriting(const char* name) {
  std::printf("couldn't open '%s' for writing\n", name);
  return false;
}

void FatalCouldNotOpen(const char* name) { Fatal(kCouldNotOpen, name); }

void FatalBankInconsistent() { Fatal("BNK: this shouldn't happen"); }

void FatalUnsupportedOriginal() { Fatal("unknown/unsupported original sound file"); }

void FatalNoBankSample(int slot) { Fatal("Can't find BNK %d", slot); }

void ReportCorruptSound() { std::fputs("corrupt sound file\n", stdout); }
