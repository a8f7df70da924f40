#include "converter/codecs/pcm.h"

#include <cstring>

uint8_t* CopyPcm16(const uint8_t* source, uint8_t* destination, size_t byteCount) {
  if (byteCount) std::memcpy(destination, source, byteCount);
  return destination + byteCount;
}

uint8_t* WidenPcm8(const uint8_t* source, uint8_t* destination, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    *destination++ = source[i];
    *destination++ = source[i];
  }
  return destination;
}
