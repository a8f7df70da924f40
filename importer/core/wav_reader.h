// WAV input: the RIFF chunk list walked in any order, PCM of 8 to 32 bits,
// IEEE float of 32 and 64 bits, WAVE_FORMAT_EXTENSIBLE with those codings,
// one or two channels, 8,000 to 192,000 Hz.
#pragma once

#include <cstdint>

#include "importer/core/audio.h"
#include "importer/core/byte_source.h"

namespace tunegrab {

enum class WavCoding { Pcm, Float };

struct WavLayout {
  WavCoding coding = WavCoding::Pcm;
  int bits = 0;
  int channels = 0;
  int rate = 0;
  int blockAlign = 0;
  uint64_t dataOffset = 0;
  uint64_t dataBytes = 0;  // whole frames only
};

// True when the first bytes are those of a RIFF WAVE file.
bool LooksLikeWav(ByteSource& source);

// Finds "fmt " and "data" and checks that this importer can read them.
Outcome ReadWavLayout(ByteSource& source, WavLayout& layout);

// Passes every frame of the data chunk to sink, in chunks.
Outcome ReadWavSamples(ByteSource& source, const WavLayout& layout, AudioSink& sink);

// Both steps, keeping the whole audio.
Outcome ReadWav(ByteSource& source, Audio& out);

}  // namespace tunegrab
