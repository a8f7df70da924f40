// WAV input: the RIFF chunk list walked in any order, PCM of 8 to 32 bits,
// IEEE float of 32 and 64 bits, WAVE_FORMAT_EXTENSIBLE with those codings,
// one or two channels, 8,000 to 192,000 Hz.
#pragma once

#include <cstdint>

#include "common/base/wav_reader.h"
#include "importer/core/audio.h"
#include "importer/core/byte_source.h"

namespace tunegrab {

// The layout and the RIFF WAVE test of the base library's WAV reader.
using kickora::LooksLikeWav;
using kickora::WavLayout;

// Finds "fmt " and "data" and checks that this importer can read them
// (dataBytes: whole frames of a data chunk that the file holds whole).
Outcome ReadWavLayout(ByteSource& source, WavLayout& layout);

// Passes every frame of the data chunk to sink, in chunks.
Outcome ReadWavSamples(ByteSource& source, const WavLayout& layout, AudioSink& sink);

// Both steps, keeping the whole audio.
Outcome ReadWav(ByteSource& source, Audio& out);

}  // namespace tunegrab
