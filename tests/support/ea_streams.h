// Builders for EA stream files used across the converter tests.
#pragma once

#include <cstdint>
#include <vector>

#include "test_files.h"

// A "PT" sound sub-list field: S, L, value big-endian in L bytes.
Bytes PtField(int type, uint32_t value, int length);

struct SchlHeaderOptions {
  int channels = 1;
  int frequency = 22050;
  uint32_t length = 0;
  bool eaAdpcm2 = false;       // top-level field 0Bh
  // What ffmpeg needs to recognise the coding: sub-field 83h = 7 for EA
  // ADPCM; for EA_ADPCM2 the version field 80h = 1 and no 83h.
  bool compressionField = false;
};

// "SCHl", size, "PT\0\0", the field list, padded to four bytes.
Bytes SchlHeader(const SchlHeaderOptions& options);
// "SCCl", 12, block count.
Bytes SccBlock(uint32_t blocks);
// "SCEl", 8.
Bytes SceBlock();

// "SCDl" block of the plain EA ADPCM row: size, count, 4 x 16-bit history.
Bytes ScdEaBlock(uint32_t count, const Bytes& data, int16_t curL = 0, int16_t prevL = 0, int16_t curR = 0,
                 int16_t prevR = 0);
// "SCDl" block of the EA_ADPCM2 row; stereo when right is not empty.
Bytes ScdEa2Block(const Bytes& left, const Bytes& right, uint32_t sampleCount);

// Small valid files of each stream kind the export reads: the seeds of the
// fuzzers and the starting points of the mutation tests.
// A mono EA ADPCM "SCHl" stream of two data blocks (one with history).
Bytes MonoSchl();
// A stereo EA_ADPCM2 "SCHl" stream, one block of split channels.
Bytes SplitStereoSchl();
// A "KWK" stream with one "TMpl" record.
Bytes KwkStream();
// A "1SNh" stream with an "EACS" header and one "1SNd" block.
Bytes OneSnhStream();
