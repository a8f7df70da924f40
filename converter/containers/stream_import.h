// Re-encoding WAV audio into the shape of an SCHl stream or a bare "PT"
// header file, block by block, with a progress line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "converter/api/records.h"
#include "converter/containers/memory_reader.h"
#include "converter/support/file_io.h"

struct ConversionContext;
struct StreamParams;

// PCM bytes one block codes in a bare "PT" file, and whenever an SCHl
// original tells no usable block size.
constexpr int32_t kDefaultBlockBytes = tonepak::kDefaultBlockBytes;
// Fixed working buffers; larger block sizes are cut to whole stereo frames
// below the buffer size.
constexpr int32_t kBlockBufferBytes = 100000;
constexpr int32_t kLargestBlockBytes = 99904;
constexpr size_t kMaxBlockSizes = 100000;

// Writes the destination from pcmBytes of WAV audio and the probed original
// (closed before the destination is created). It returns only once the
// destination is complete; every failure is fatal.
void ImportStream(ConversionContext& ctx, int32_t pcmBytes, FILE* wav, FileHandle original, const char* destination);

// The same from samples and block sizes already at hand (an empty list: the
// default size): the new stream is written to destination, replaced only
// once complete, or with an empty destination handed over in bytes.
void WriteImportedStream(ConversionContext& ctx, int32_t pcmBytes, SampleInput& wav, std::vector<int32_t> sizes,
                         const std::string& destination, std::vector<uint8_t>& bytes);

// Block sizes, in PCM bytes, of an SCHl original positioned just behind the
// tag of its first data block: one entry per later block. Empty when none
// is usable.
std::vector<int32_t> CollectBlockSizes(const StreamParams& p, FILE* original);
std::vector<int32_t> CollectBlockSizes(const StreamParams& p, MemoryReader& original);

// PCM bytes a data block with this count field codes, by the probed
// channels and codec.
int64_t BlockBytesFromCount(const StreamParams& p, int32_t count);

// Samples per channel announced for pcmBytes of new audio (never negative).
int32_t NewStreamLength(int32_t pcmBytes, int channels);

// "%d:%02.2d:%02.2d" or "%02.2d:%02.2d" of a time left in tenths of a second.
std::string FormatTimeLeft(int64_t tenths);

// The whole progress line, carriage return included.
std::string FormatProgressLine(int64_t bytesRead, int64_t bytesWritten, int64_t total, int64_t remainingBefore,
                               int64_t tenthsLeft);

// Process clock in tenths of a second.
int64_t ClockTenths();
