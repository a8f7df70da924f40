// The game's own song that a new song copies: its "PT" header, channels,
// rate, coding and block size; or the built-in layout when the music folder
// offers none. Also the layout record that tells the converter's import the
// block sizes of the new song.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "converter/api/tonepak_api.h"

namespace tunegrab {

struct SongTemplate {
  std::vector<uint8_t> header;  // the "SCHl" block's bytes behind its size, "PT" first, padded to 4
  int channels = 0;
  int rate = 0;
  bool split = false;           // EA_ADPCM2: the header carries top-level field 0Bh
  int64_t blockFrames = 0;      // samples per channel of a regular data block
};

// EA ADPCM codes 28 samples per channel in one frame.
constexpr int kSamplesPerFrame = 28;

// Reads an SCHl stream with the converter's own reader: "SCHl" and a header
// block inside the file, a "PT" list at offset 8 with one or two channels
// and a rate of 8,000 to 48,000 Hz, then data blocks.
bool ReadSongTemplate(const std::vector<uint8_t>& file, SongTemplate& out);

// "SCHl" with a "PT" list for 22,050 Hz stereo EA ADPCM and a sample count.
SongTemplate BuiltInTemplate();

// File names of a folder that may serve as the template: ".str" files whose
// name does not begin with "1", in case-blind alphabetical order.
std::vector<std::string> TemplateCandidates(std::vector<std::string> names);

// Data block sizes, in frames, for a song of this many samples per channel:
// regular blocks, with the remainder split over a first and a last block so
// that the last block ends with the audio.
std::vector<int64_t> SongBlockFrames(int64_t samples, int64_t regularFrames);

// The layout record of a song of this many samples per channel: the
// template's header and the PCM bytes of each block of SongBlockFrames.
tonepak::StreamLayout SongLayout(const SongTemplate& t, int64_t samples);

}  // namespace tunegrab
