// The converter's own import and export, run in-process through its typed
// interface: the importer has no encoder or stream writer of its own.
#pragma once

#include <string>

#include "converter/api/tonepak_api.h"
#include "importer/core/audio.h"
#include "importer/core/song_template.h"

namespace tunegrab {

// 16-bit samples of audio scaled by gain (rounded, saturated).
std::vector<int16_t> Pcm16Samples(const Audio& audio, double gain);

// Decodes the first stream of a song with the converter's export into
// memory (no file is written): its 16-bit samples, whole frames of one or
// two channels, at most the longest song.
Outcome DecodeWithConverter(const std::string& song, tonepak::DecodedStream& out);

// Writes destination (a complete file or nothing): the audio, at the
// template's rate and channels, goes straight into the converter's import
// from memory with the template's layout record; the converter writes a
// temporary file beside destination and renames it when complete.
Outcome WriteWithConverter(const Audio& song, double gain, const SongTemplate& t, const std::string& destination);

}  // namespace tunegrab
