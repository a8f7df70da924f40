// One channel of a FLAC frame: the subframe header, wasted bits, and the
// four kinds of subframe.
#pragma once

#include <cstdint>

#include "importer/core/flac/flac_bits.h"

namespace tunegrab {

// Decodes blockSize samples of a channel coded with bits bits (1..33, the
// side channel has one more than the frame) into out. False when the
// subframe is damaged: reserved codes, a predictor order beyond the block,
// a partition layout that does not fit, or a sample outside its width.
bool DecodeFlacSubframe(FlacBitReader& reader, int bits, int blockSize, int64_t* out);

}  // namespace tunegrab
