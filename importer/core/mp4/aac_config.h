// The AudioSpecificConfig that heads an AAC stream in an MP4 file: which
// coding, at what rate and with how many channels. The importer decodes
// plain AAC-LC itself through the platform's decoder; anything else (SBR
// or parametric stereo named in the config, other codings, a channel
// layout given by a program config element) is left to the media decoder.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tunegrab {

struct AacConfig {
  int objectType = 0;  // 2: AAC-LC
  int rate = 0;
  int channels = 0;    // 0: given by a program config element
  int frameLength = 0; // samples a packet decodes to, 1024 or 960
};

// False when the bytes hold no config this reader understands.
bool ParseAacConfig(const uint8_t* bytes, size_t size, AacConfig& config);

// AAC-LC, 1024 samples a packet, a standard channel layout, a rate the
// importer reads.
bool IsPlainAacLc(const AacConfig& config);

}  // namespace tunegrab
