// Sound pack files: split into numbered sound files with an index, and built
// again from them.
#pragma once

#include "converter/modes/mode_result.h"
#include "converter/tonepak_api.h"

struct ConversionContext;

ModeResult UnpackSounds(ConversionContext& ctx, const tonepak::UnpackRequest& request);
// Asks for the usage when the request names no index file.
ModeResult PackSounds(ConversionContext& ctx, const tonepak::PackRequest& request);
