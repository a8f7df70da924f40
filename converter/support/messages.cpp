#include "converter/support/messages.h"

#include "converter/context/context.h"
#include "converter/support/fatal.h"
#include "converter/support/file_io.h"

namespace {

constexpr char kWriteError[] = "write error (disk full?)";
constexpr char kCouldNotOpen[] = "couldn't open '%s'\n";

}  // namespace

bool ReportWriteError(ConversionContext& ctx) {
  ctx.Print("%s\n", kWriteError);
  return false;
}

void FatalWriteError() { Fatal("%s", kWriteError); }

bool ReportNoData(ConversionContext& ctx) {
  ctx.Put("decoder returned no data!?\n");
  return false;
}

bool ReportCouldNotOpen(ConversionContext& ctx, const char* name) {
  ctx.Print(kCouldNotOpen, name);
  return false;
}

bool ReportCouldNotOpenForWriting(ConversionContext& ctx, const char* name) {
  ctx.Print("couldn't open '%s' for writing\n", name);
  return false;
}

void FatalCouldNotOpen(const char* name) { Fatal(kCouldNotOpen, name); }

void FatalBankInconsistent() { Fatal("BNK: this shouldn't happen"); }

void FatalUnsupportedOriginal() { Fatal("unknown/unsupported original sound file"); }

void FatalNoBankSample(int slot) { Fatal("Can't find BNK %d", slot); }

void FatalNoEncoderOutput() { Fatal("encoder returned no data. this is bug!"); }

void RequireCodableChannels(int channels) {
  if (channels != 1 && channels != 2) FatalUnsupportedOriginal();
}

void MakeWritable(ConversionContext& ctx, const char* path) {
  if (ClearReadOnly(path)) ctx.Print("'%s': removed read-only flag\n", path);
}
