// Sound pack files: split into numbered sound files with an index, and built
// again from them.
#pragma once

#include "converter/api/records.h"

struct ConversionContext;

tonepak::Status UnpackSounds(ConversionContext& ctx, const tonepak::UnpackRequest& request);
// Asks for the usage when the request names no index file.
tonepak::Status PackSounds(ConversionContext& ctx, const tonepak::PackRequest& request);
