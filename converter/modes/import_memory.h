// The import from memory: samples and a stream layout (given, or read from
// an original's bytes) in, the new stream out, to a file or to memory.
#pragma once

#include <cstdint>
#include <vector>

#include "converter/api/records.h"

struct ConversionContext;

// Fills layout from a stream original's bytes; false when they are no SCHl
// stream or bare "PT" header file. A header the field reader refuses is
// fatal.
bool ReadLayout(ConversionContext& ctx, const std::vector<uint8_t>& original, tonepak::StreamLayout& layout);

// Codes the request's samples into its layout's form; the new stream goes to
// the destination or, without one, into bytes.
tonepak::Status RunImportFromMemory(ConversionContext& ctx, const tonepak::MemoryImportRequest& request,
                               std::vector<uint8_t>& bytes);
