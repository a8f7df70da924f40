// MP3 decoding through the MPEG Layer-3 codec of the Audio Compression
// Manager (Windows' own, and Wine's).
#pragma once

#include "importer/core/convert_song.h"

class AcmMp3Decoder : public tunegrab::Mp3Decoder {
 public:
  tunegrab::Outcome Decode(const std::vector<uint8_t>& file, const tunegrab::Mp3Scan& scan,
                           tunegrab::AudioSink& sink) override;
};

// Samples of delay the codec's output starts with before the first encoded
// sample, on top of the encoder's own delay: the Layer III synthesis delay
// for MPEG-1; measured as none for MPEG-2 and 2.5 under Wine.
int Mp3DecoderDelay(tunegrab::MpegVersion version);
