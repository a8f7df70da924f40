// Inputs for the import tests, built in memory: WAV files, signals, SCHl
// and bare "PT" originals, banks; and readers that take an imported stream
// or bank sample apart again with the converter's own EA ADPCM decoders.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "support/ea_streams.h"
#include "support/test_files.h"

namespace import_test {

// Interleaved 16-bit samples.
using Pcm = std::vector<int16_t>;

Bytes WaveFile(int channels, int rate, const Pcm& samples, int bitsPerSample = 16);

// A mix of two tones with a slow swell, different per channel, so that a
// swapped or shifted channel shows up as a poor match.
Pcm Music(int frames, int channels, int rate, double amplitude = 9000.0);

// Signal to noise ratio of decoded against original over their common
// frames, in dB.
double SnrDb(const Pcm& original, const Pcm& decoded);

// "PT\0\0" list: optional 0Bh field, FDh, 82h, 84h, 85h (optional), 8Ah, FFh.
struct PtList {
  int channels = 2;
  int frequency = 22050;
  bool withLength = true;
  uint32_t length = 1000;
  bool eaAdpcm2 = false;
};
Bytes PtListBytes(const PtList& list);

// SCHl original: header of the list, SCCl, one SCDl block per count (data of
// the plain EA ADPCM row, zero bytes), SCEl.
Bytes SchlOriginal(const PtList& list, const std::vector<uint32_t>& counts);

// Bare "PT\0\2" header file with its size bytes and a list, then some data.
Bytes BarePtOriginal(const PtList& list);

// One data block of an imported stream, taken apart.
struct DataBlock {
  uint32_t size = 0;
  uint32_t count = 0;
  std::vector<uint32_t> fields;  // 32-bit fields behind the count (ADPCM2 offsets)
  std::vector<int16_t> history;  // as the block carries them
  Bytes data;                    // coded bytes (both channels for ADPCM2)
  size_t pad = 0;
};

struct ImportedStream {
  Bytes header;                  // the "PT" list as written, padding included
  uint32_t declaredBlocks = 0;   // the SCCl count
  std::vector<DataBlock> blocks;
  bool endSeen = false;          // SCEl, 8 at the very end
};

// Parses a file written by the import for an SCHl original; failures are
// gtest failures. adpcm2 and channels choose the block layout.
ImportedStream ParseImportedStream(const Bytes& file, bool adpcm2, int channels);

// Decodes the blocks with DecodeEaAdpcmMono / DecodeEaAdpcmStereo from each
// block's own history, channels interleaved.
Pcm DecodeImportedStream(const ImportedStream& stream, bool adpcm2, int channels);

// Banks of version 2 with a fixed layout, so that tests know every
// position: the table at 12, slot k's header at 12 + 4 x slots + 64 x k (at
// most 64 bytes each), the data area from kBankDataStart.
constexpr uint32_t kBankDataStart = 512;
uint32_t BankHeaderPosition(int slots, int slot);

// One list's sound sub-list: FDh, 82h (1 byte), 84h (2), 85h (4), 88h (4),
// 8Ah; 22 bytes.
Bytes BankList(int channels, int frequency, uint32_t length, uint32_t dataOffset);
// "PT\0\0", the lists joined by FEh, FFh. List i starts at 4 + 23 x i.
Bytes BankHeader(const std::vector<Bytes>& lists);
// Empty header: an empty slot.
Bytes Bank(const std::vector<Bytes>& headers, const Bytes& dataArea);

// Length (85h) and data offset (88h) of list i of the header at position.
uint32_t BankLength(const Bytes& bank, uint32_t headerPosition, int list = 0);
uint32_t BankDataOffset(const Bytes& bank, uint32_t headerPosition, int list = 0);

}  // namespace import_test
