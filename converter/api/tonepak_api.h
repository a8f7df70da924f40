// The converter as a library: one function per mode, each taking a request
// record and returning a result record. A conversion keeps its state in the
// context the caller passes in (never in globals), so any number of
// conversions may run at once, each with its own context.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "converter/api/records.h"
#include "converter/codecs/ea_adpcm_encoder_kernels.h"

namespace tonepak {

// What a caller may set for the conversions it runs.
struct Options {
  // Each message is handed to this the moment it is printed (progress lines
  // included), beside being kept in the result.
  std::function<void(const std::string&)> echo;
  // The encoder's candidate kernel; every kernel gives the same bytes.
  EaAdpcmKernel kernel = DetectedEaAdpcmKernel();
};

// Each mode in a context of its own; the request records say what each does.
Result Export(const ExportRequest& request, const Options& options = {});
Result DecodeStreamToMemory(const MemoryExportRequest& request, const Options& options = {});
Result Import(const ImportRequest& request, const Options& options = {});
Result ImportFromMemory(const MemoryImportRequest& request, const Options& options = {});
Result Unpack(const UnpackRequest& request, const Options& options = {});
Result Pack(const PackRequest& request, const Options& options = {});
Result DittyFix(const DittyFixRequest& request, const Options& options = {});

// Reads an SCHl or bare "PT" original as the import does; false for any
// other kind and for a header the import would refuse.
bool ReadStreamLayout(const std::vector<uint8_t>& original, StreamLayout& layout);

}  // namespace tonepak
