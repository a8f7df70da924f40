// FLAC input: the STREAMINFO block, every other metadata block passed
// over, then the audio frames decoded by the importer itself (fixed or
// variable block sizes, 1 to 8 channels, 4 to 32 bits, 8,000 to 192,000 Hz).
//
// Damage: a frame whose header or checksum is wrong, or whose coding makes
// no sense, is passed over; the decoder looks for the next frame that is
// whole, and the gap is filled with silence as long as that frame's number
// tells where it belongs (and the lost bytes could have held that much).
// A damaged or cut-off end ends the song where the last good frame ends.
// A file in which no frame can be read is damaged.
#pragma once

#include <cstdint>

#include "importer/core/audio.h"
#include "importer/core/byte_source.h"
#include "importer/core/flac/flac_frame.h"

namespace tunegrab {

struct FlacLayout {
  FlacStreamInfo info;
  uint64_t audioOffset = 0;  // where the first frame starts
};

// True when the file starts with the FLAC signature "fLaC".
bool LooksLikeFlac(ByteSource& source);

// Reads STREAMINFO, passes the other metadata blocks and checks that this
// importer can read the stream.
Outcome ReadFlacLayout(ByteSource& source, FlacLayout& layout);

// Passes every decoded frame to sink: the file's channels, in -1..1, up to
// the stream's length when STREAMINFO gives it.
Outcome ReadFlacSamples(ByteSource& source, const FlacLayout& layout, AudioSink& sink);

// Both steps, keeping the whole audio.
Outcome ReadFlac(ByteSource& source, Audio& out);

}  // namespace tunegrab
