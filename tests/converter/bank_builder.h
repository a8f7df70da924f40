// Builds BNK banks for the tests: sample headers of "PT" lists, and banks
// laid out as the game's with the data offsets filled in.
#pragma once

#include <optional>
#include <vector>

#include "support/ea_streams.h"
#include "support/test_files.h"

namespace bank_builder {

// One "PT" list of a sample header: the sound sub-list closed by 8Ah, then
// FEh when another list follows or FFh after the last.
struct SampleList {
  int channels = 1;
  int frequency = 22050;
  uint32_t length = 0;
  std::optional<uint32_t> dataOffset;  // absent: the list has no 88h field
  bool eaAdpcm2 = false;
};

// A bank laid out as the game's: magic, version, slot count, table, then
// the headers, then the audio. A slot without a header is empty. Each
// sample's first list gets the absolute offset of its data.
struct BankSample {
  std::vector<SampleList> lists;
  Bytes data;
};

struct Bank {
  Bytes bytes;
  std::vector<uint32_t> headerPositions;
  std::vector<uint32_t> dataOffsets;
};

Bytes SampleHeader(const std::vector<SampleList>& lists);
Bank BuildBank(int version, const std::vector<std::optional<BankSample>>& slots);
// Audio bytes that differ from sample to sample, so a wrong data offset shows.
// As EA ADPCM they are valid frames of small steps (coefficient index 0-3,
// shift row 8-15), so the decoder neither clips nor reports corruption.
Bytes Pattern(size_t size, int seed);
// One mono-list sample of length samples at 22050 Hz.
BankSample Sample(uint32_t length, Bytes data, int channels = 1);

}  // namespace bank_builder
