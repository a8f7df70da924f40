#include "converter/codecs/ima_adpcm.h"

#include <algorithm>

#include "common/base/byte_order.h"

using kickora::GetI16LE;
using kickora::GetI32LE;
using kickora::GetU32LE;
using kickora::PutU16LE;

namespace {

const int16_t kStepSizes[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,   253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,   876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749,  3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493,  10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

const int kIndexAdjust[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

// Header fields may hold any value; the table has 89 entries.
int ClampIndex(int64_t index) { return static_cast<int>(std::clamp<int64_t>(index, 0, 88)); }

inline int16_t Step(ImaState& ima, int channel, int code) {
  int step = kStepSizes[ima.stepIndex[channel]];
  int difference = step >> 3;
  if (code & 4) difference += step;
  if (code & 2) difference += step >> 1;
  if (code & 1) difference += step >> 2;
  if (code & 8) difference = -difference;
  int value = std::clamp(ima.predictor[channel] + difference, -32768, 32767);
  ima.predictor[channel] = static_cast<int16_t>(value);
  ima.stepIndex[channel] = std::clamp(ima.stepIndex[channel] + kIndexAdjust[code & 7], 0, 88);
  return static_cast<int16_t>(value);
}

inline uint8_t* Put(uint8_t* out, int16_t sample) {
  PutU16LE(out, static_cast<uint16_t>(sample));
  return out + 2;
}

}  // namespace

ImaState LoadImaState16(const uint8_t* fields) {
  ImaState ima;
  ima.predictor[0] = GetI16LE(fields);
  ima.stepIndex[0] = ClampIndex(GetI16LE(fields + 2));
  ima.predictor[1] = GetI16LE(fields + 4);
  ima.stepIndex[1] = ClampIndex(GetI16LE(fields + 6));
  return ima;
}

ImaState LoadImaState32(const uint8_t* fields) {
  ImaState ima;
  ima.stepIndex[0] = ClampIndex(GetI32LE(fields));
  ima.stepIndex[1] = ClampIndex(GetI32LE(fields + 4));
  ima.predictor[0] = static_cast<int16_t>(GetU32LE(fields + 8) & 0xFFFF);
  ima.predictor[1] = static_cast<int16_t>(GetU32LE(fields + 12) & 0xFFFF);
  return ima;
}

uint8_t* DecodeIma(const uint8_t* source, uint8_t* destination, int32_t count, int channels, ImaState& state) {
  const int lowNibbleChannel = channels == 2 ? 1 : 0;
  for (int32_t i = 0; i < count; ++i) {
    destination = Put(destination, Step(state, 0, source[i] >> 4));
    destination = Put(destination, Step(state, lowNibbleChannel, source[i] & 0x0F));
  }
  return destination;
}
