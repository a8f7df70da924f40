// libFuzzer target: any bytes as a BIGF or C0FB archive through the export.
// The first byte picks the magic (bit 0) and a forced mode (the bits above);
// the rest follows the magic.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  ScratchRun run;
  FuzzBytes archive;
  if (data[0] & 1) archive = {'B', 'I', 'G', 'F'};
  else archive = {0xC0, 0xFB};
  archive.insert(archive.end(), data + 1, data + size);
  WriteScratchFile("archive.big", archive);
  WriteScratchFile("out/.keep", {});

  const int mode = (data[0] >> 1) % 9;
  tonepak::ExportRequest request;
  request.musicFile = "archive.big";
  request.destinationDir = "out";
  request.forcedMode = mode;
  int status = StatusOf(tonepak::Export(request));
  Require(status == 0 || status == 1, "exit status 0 or 1");
  Require(ScratchBytes() <= OutputBudget(size) + archive.size(), "output bounded by the archive");
  // Entry names must not lead out of the destination folder.
  for (const std::string& name : ScratchFilesEndingIn(".wav")) Require(name.rfind("out/", 0) == 0, "WAV inside out/");
  return 0;
}
