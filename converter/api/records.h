// The records the converter's library takes and gives: one request record
// per mode, the result record, and the stream layout an import from memory
// may be given. Plain data that depends on nothing, so the face
// (tonepak_api.h), the modes and the containers all share them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tonepak {

// PCM bytes one data block codes when an original tells no block size.
constexpr int32_t kDefaultBlockBytes = 5936;

enum class Status {
  kSuccess,
  kFailure,
  kFailureShowUsage,  // failure after which the console program prints its usage
};

inline Status StatusOf(bool succeeded) { return succeeded ? Status::kSuccess : Status::kFailure; }

// A stream decoded into memory: 16-bit samples, interleaved.
struct DecodedStream {
  int rate = 0;  // as the stream's WAV file announces it (at least 22050 Hz)
  int channels = 0;
  std::vector<int16_t> samples;
};

struct Result {
  Status status = Status::kSuccess;
  std::vector<std::string> written;   // files written (or begun), in order
  std::vector<std::string> messages;  // what the run printed, in order
  std::vector<uint8_t> bytes;         // an import into memory: the new file's bytes
  DecodedStream decoded;              // an export into memory: the first stream

  bool ok() const { return status == Status::kSuccess; }
  // The messages joined, as the console prints them.
  std::string Text() const;
};

// Export: every stream of a music file (SCHl, self-sized PT, KWK/TMpl,
// 1SNh/EACS), every sample of a BNK bank, or every stream of every entry of
// a BIG archive, to 16-bit WAV files.
struct ExportRequest {
  std::string musicFile;
  std::string destinationDir;  // streams and archive entries; empty: the current directory
  std::string bankFolder;      // bank samples; empty: the current directory
  long forcedMode = 0;         // 1 to 6 force the data blocks' coding; 0 or less: none
};

// Export into memory: the first stream of a music file (SCHl, self-sized PT,
// KWK/TMpl, 1SNh/EACS) decoded into the result's samples, the samples the
// export writes into that stream's WAV file (an odd last byte left out).
// Banks and archives are no single stream and fail. Nothing is written.
struct MemoryExportRequest {
  std::string musicFile;
  long forcedMode = 0;  // as the export's
};

// Import: a 16-bit WAV file re-encoded in the coding of an existing stream or
// bank sample (the original) and written to the destination, which is
// replaced only once complete.
struct ImportRequest {
  std::string waveFile;
  std::string destination;
  std::string original;
  std::optional<long long> bankSample;  // counted from 1; a bank original needs it
};

// What an import needs to know of a stream original: its kind, its "PT"
// header and the PCM bytes each of its data blocks codes.
struct StreamLayout {
  bool schl = true;                 // an SCHl stream; false: a bare "PT" header file
  std::vector<uint8_t> header;      // the "PT" field list, from its tag on (at most 1000 bytes count)
  std::vector<int32_t> blockBytes;  // PCM bytes per data block in order, the last repeating; empty: the default
  // What the header says (filled by ReadStreamLayout; the import reads the
  // header itself).
  int channels = 1;
  int rate = 22050;
  bool split = false;               // EA_ADPCM2: the channels' halves one behind the other
  bool hasDataBlock = false;        // an SCHl original holds at least one data block
};

// Import from memory: 16-bit samples (interleaved, at their own rate and
// channel count, converted as a WAV file's would be) re-encoded in the
// coding of a stream original given by its bytes or by a layout record.
struct MemoryImportRequest {
  int rate = 0;
  int channels = 0;
  std::vector<int16_t> samples;
  std::optional<StreamLayout> layout;  // the layout record; without it, the original's bytes
  std::vector<uint8_t> original;
  std::string destination;             // replaced once complete; empty: the bytes go into the result
};

// Unpack: a sound pack file and its index into numbered files.
struct UnpackRequest {
  std::string packFile;
  std::string indexFile;
  std::string namePrefix;  // put before each "NNN.asf"; empty: the current directory
};

// Pack: the numbered files "<folder>000.asf", ... into a sound pack file and
// its index. Without an index file the pack is created empty and the usage
// asked for.
struct PackRequest {
  std::string folder;
  std::string packFile;
  std::optional<std::string> indexFile;
};

// The NHL 2000 ditty fix: the offsets of the rebuilt ditty archives written
// into the game program, all in the given folder.
struct DittyFixRequest {
  std::string folder;  // empty: the current directory
};

}  // namespace tonepak
