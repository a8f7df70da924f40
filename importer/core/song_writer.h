// The converter's own import and export, run in-process through its typed
// interface: the importer has no encoder or stream writer of its own.
#pragma once

#include <string>

#include "importer/core/audio.h"
#include "importer/core/song_template.h"

namespace tunegrab {

// 16-bit samples of audio scaled by gain (rounded, saturated).
std::vector<int16_t> Pcm16Samples(const Audio& audio, double gain);

// Decodes the first stream of a song with the converter's export into
// memory (no file is written), as samples in -1..1.
Outcome DecodeWithConverter(const std::string& song, Audio& out);

// Writes destination (a complete file or nothing): the audio, at the
// template's rate and channels, goes straight into the converter's import
// from memory with the template's layout record; the converter writes a
// temporary file beside destination and renames it when complete.
Outcome WriteWithConverter(const Audio& song, double gain, const SongTemplate& t, const std::string& destination);

}  // namespace tunegrab
