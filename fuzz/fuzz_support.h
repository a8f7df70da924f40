// Scaffolding shared by the fuzz targets: one private scratch folder per
// process (never the working tree), one input split into several files,
// and bounds whose breach counts as a finding. The targets call the
// converter's typed interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "converter/api/tonepak_api.h"

using FuzzBytes = std::vector<uint8_t>;

// The parts of one input are separated by this text (it is in the
// dictionary, so the fuzzer moves parts around as units).
inline constexpr char kPartSeparator[] = "--KICKORA-PART--";

// Enters the private scratch folder, emptied, for the life of the object and
// goes back to the folder libFuzzer runs in (its corpus and artefact paths
// are relative to it). The first use creates the folder under the system's
// temporary folder and sends standard output to the null device.
class ScratchRun {
 public:
  ScratchRun();
  ~ScratchRun();
  ScratchRun(const ScratchRun&) = delete;
  ScratchRun& operator=(const ScratchRun&) = delete;
};

// Splits the input at each separator into exactly `parts` pieces: missing
// ones are empty, the last keeps everything behind the last separator used.
std::vector<FuzzBytes> SplitInput(const uint8_t* data, size_t size, size_t parts);

// Files relative to the scratch folder (folders on the way are made).
void WriteScratchFile(const std::string& name, const FuzzBytes& bytes);
FuzzBytes ReadScratchFile(const std::string& name);
// Bytes of every file below the scratch folder.
uint64_t ScratchBytes();
// Names of files whose name ends in suffix, anywhere below the scratch folder.
std::vector<std::string> ScratchFilesEndingIn(const std::string& suffix);

// The exit status the console program gives for a result: 0 or 1.
int StatusOf(const tonepak::Result& result);

// A read-only FILE over bytes in memory; closed by the caller.
FILE* MemoryFile(const FuzzBytes& bytes);

// Ends the process with a message on the error stream when condition is
// false: libFuzzer reports it as a crash and keeps the input.
void Require(bool condition, const char* what);

// The most output a run may write for an input of this many bytes: a
// generous multiple of it (decoders make at most a few PCM bytes of each
// coded byte) plus room for headers.
uint64_t OutputBudget(size_t inputBytes);

// Well-formed inputs of the import, built by the test builders: a short
// mono 22050 Hz WAV, and originals of each kind (0: SCHl stream, 1: bare
// "PT" header, 2: BNK bank whose sample number is "1").
FuzzBytes GoodWave();
FuzzBytes GoodOriginal(int kind);
