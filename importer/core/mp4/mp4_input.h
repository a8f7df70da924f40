// MP4/M4A files of AAC-LC through the platform's AAC decoder, packet by
// packet, with the file's edit list applied to the frame: the encoder's
// priming left out at the start, its padding at the end. A file this path
// cannot take (another coding, SBR or parametric stereo, no decoder, a
// failure before the first decoded frame) goes to the fallback decoder.
#pragma once

#include "importer/core/mp4/aac_decoder.h"
#include "importer/core/media_decoder.h"

namespace tunegrab {

class Mp4AacInput : public MediaDecoder {
 public:
  // aac may be null (then every file goes to the fallback).
  Mp4AacInput(AacDecoder* aac, MediaDecoder& fallback) : aac_(aac), fallback_(fallback) {}
  MediaStatus Decode(const std::string& path, MediaReceiver& receiver) override;

 private:
  AacDecoder* aac_;
  MediaDecoder& fallback_;
};

}  // namespace tunegrab
