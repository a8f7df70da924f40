// The export mode: streams, banks and archives alike end up as WAV files.
#pragma once

#include "converter/api/records.h"

struct ConversionContext;

tonepak::Status RunExport(ConversionContext& ctx, const tonepak::ExportRequest& request);
