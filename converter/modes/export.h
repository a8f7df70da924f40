// The export mode: streams, banks and archives alike end up as WAV files.
#pragma once

#include "converter/modes/mode_result.h"
#include "converter/tonepak_api.h"

struct ConversionContext;

ModeResult RunExport(ConversionContext& ctx, const tonepak::ExportRequest& request);
