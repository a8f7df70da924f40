// Ogg Vorbis without the platform's decoders: stb_vorbis (Debian's
// libstb-dev), for the systems whose Media Foundation has no Vorbis decoder
// (Windows without a codec extension, or without Media Foundation at all).
#pragma once

#include <cstdint>
#include <vector>

#include "importer/core/media_decoder.h"

namespace tunegrab {

// An Ogg page whose first packet is a Vorbis identification header.
bool LooksLikeOggVorbis(const std::vector<uint8_t>& head);

class VorbisDecoder : public MediaDecoder {
 public:
  // A file that stb_vorbis refuses fails with ok false and code 0; one of
  // more than two channels as missing (this decoder is used for mono and
  // stereo only).
  MediaStatus Decode(const std::string& path, MediaReceiver& receiver) override;
  // The same for a file read whole (at most 256 MB).
  MediaStatus DecodeBytes(const std::vector<uint8_t>& bytes, MediaReceiver& receiver);
};

}  // namespace tunegrab
