// The converter's own import and export, run in-process: the importer has
// no encoder or stream writer of its own.
#pragma once

#include <string>

#include "importer/core/audio.h"
#include "importer/core/song_template.h"

namespace tunegrab {

// 16-bit PCM WAV bytes of audio scaled by gain (rounded, saturated).
std::vector<uint8_t> Pcm16Wav(const Audio& audio, double gain);

// Decodes a song with the converter's export into tempFolder and reads the
// first stream back. Leaves no file in tempFolder.
Outcome DecodeWithConverter(const std::string& song, const std::string& tempFolder, Audio& out);

// Writes destination (a complete file or nothing): the audio, at the
// template's rate and channels, goes through a 16-bit WAV in tempFolder
// and the converter's import, with a layout original built from the
// template, into a temporary file beside destination that is renamed
// when complete.
Outcome WriteWithConverter(const Audio& song, double gain, const SongTemplate& t, const std::string& tempFolder,
                           const std::string& destination);

}  // namespace tunegrab
