// The export into memory: a music file's first stream decoded to samples.
#pragma once

#include "converter/api/records.h"

struct ConversionContext;

tonepak::Status RunExportToMemory(ConversionContext& ctx, const tonepak::MemoryExportRequest& request,
                             tonepak::DecodedStream& out);
