// The export into memory: a music file's first stream decoded to samples.
#pragma once

#include "converter/modes/mode_result.h"
#include "converter/tonepak_api.h"

struct ConversionContext;

ModeResult RunExportToMemory(ConversionContext& ctx, const tonepak::MemoryExportRequest& request,
                             tonepak::DecodedStream& out);
