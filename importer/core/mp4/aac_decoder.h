// The platform's AAC decoder (Media Foundation's AAC decoder transform on
// Windows): raw AAC packets in, PCM out at the stream's own rate. Every
// call is made on one thread, Open first and Close last.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "importer/core/mp4/aac_config.h"
#include "importer/core/media_decoder.h"

namespace tunegrab {

class AacDecoder {
 public:
  virtual ~AacDecoder() = default;
  // Ready to decode a stream of this AudioSpecificConfig; format: the PCM
  // it gives (its duration left 0). False: not on this computer.
  virtual bool Open(const AacConfig& config, const std::vector<uint8_t>& audioSpecificConfig, MediaFormat& format) = 0;
  // One packet; the frames it gives (interleaved, format's channels) are
  // appended to pcm. 0, or the platform's error code.
  virtual uint32_t Decode(const uint8_t* packet, size_t size, std::vector<float>& pcm) = 0;
  // The end of the stream: the frames it still holds, appended to pcm.
  virtual uint32_t Drain(std::vector<float>& pcm) = 0;
  virtual void Close() = 0;
};

}  // namespace tunegrab
