// Where the sound of a WAV file lies and how it is coded, read from the
// file's first bytes with every size checked against what is there: the
// player streams the data chunk to the sound device from this.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "common/base/wav_reader.h"

using kickora::WavLayout;

// head: the file's first bytes (the data chunk's header must lie in them);
// fileSize: the whole file's size. Only PCM of 8 to 32 bits, 1 to 8
// channels, 1,000 to 384,000 Hz with a consistent block size is accepted.
// dataBytes: the whole blocks of the data chunk, never past the end of the
// file.
std::optional<WavLayout> FindWavLayout(const std::vector<uint8_t>& head, uint64_t fileSize);
