// EA ADPCM encoder: analysis by synthesis over the coefficient pairs and
// scales of the decoder, keeping the candidate with the smallest error cost.
#pragma once

#include <cstdint>

#include "converter/codecs/ea_adpcm.h"
#include "converter/codecs/ea_adpcm_encoder_kernels.h"

// What the coded data looks like: one or two channels, and for two whether
// they are split (all left frames, then all right frames, as EA_ADPCM2
// carries them) rather than interleaved in stereo frames.
// kernel is the candidate kernel to code with (all give the same bytes);
// helper, when given, codes one half of a long enough split stereo block
// beside the caller (the bytes are the same without it).
class EncoderHelper;
struct EaAdpcmLayout {
  int channels = 1;
  bool split = false;
  EaAdpcmKernel kernel = DetectedEaAdpcmKernel();
  EncoderHelper* helper = nullptr;
};

// Driver: codes byteCount bytes of 16-bit PCM (host order, channels
// interleaved) in the given layout. Returns the output end (the output itself
// when nothing was coded).
uint8_t* EncodeEaAdpcm(const int16_t* pcm, uint8_t* output, EaAdpcmState& state, int32_t byteCount,
                       const EaAdpcmLayout& layout);

// ceil(byteCount / 56) frames of 15 bytes from current 1 / previous 1.
uint8_t* EncodeEaAdpcmMono(const int16_t* samples, uint8_t* output, EaAdpcmState& state, int32_t byteCount,
                           EaAdpcmKernel kernel = DetectedEaAdpcmKernel());

// ceil(byteCount / 112) frames of 30 bytes from all four history values.
uint8_t* EncodeEaAdpcmStereo(const int16_t* samples, uint8_t* output, EaAdpcmState& state, int32_t byteCount,
                             EaAdpcmKernel kernel = DetectedEaAdpcmKernel());

// The code of row scale nearest to sample - prediction (ties keep the lower
// code); adds the residual's cost to cost.
int NearestCode(int sample, int prediction, int scale, uint32_t& cost);
