// Uncompressed stream data: 16-bit copies and the widening of 8-bit samples.
#pragma once

#include <cstddef>
#include <cstdint>

// Copies byteCount bytes of 16-bit PCM unchanged; returns the end.
uint8_t* CopyPcm16(const uint8_t* source, uint8_t* destination, size_t byteCount);

// Widens each signed 8-bit sample b to the 16-bit sample with both bytes b
// (80h -> -32640, 7Fh -> 32639); returns the end.
uint8_t* WidenPcm8(const uint8_t* source, uint8_t* destination, size_t count);
