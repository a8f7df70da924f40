// One conversion, from the input file to the new song in the destination
// folder: read or decode (WAV: own reader; MP3: the platform's MPEG
// Layer-3 codec; anything else: the platform's media decoder), choose the
// template, downmix and resample, match loudness, write through the converter.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "importer/core/audio.h"
#include "importer/core/media_decoder.h"
#include "importer/core/mp3/mp3_scanner.h"

namespace tunegrab {

// The platform's MP3 decoder: validated frames in, PCM out (at the MP3's
// own rate and channels), with the decoder's and the encoder's delay and
// the padding trimmed.
class Mp3Decoder {
 public:
  virtual ~Mp3Decoder() = default;
  virtual Outcome Decode(const std::vector<uint8_t>& file, const Mp3Scan& scan, AudioSink& sink) = 0;
};

struct ConvertRequest {
  std::string input;              // the music file, its path in UTF-8 (any name)
  std::string destinationFolder;  // the music folder, in the system's code page
  bool matchLoudness = true;
  Mp3Decoder* mp3 = nullptr;      // none: MP3 files go to the media decoder
  MediaDecoder* media = nullptr;  // none: only WAV and MP3 files are read
  // Called with the percentage done; never from another thread than the caller's.
  std::function<void(int)> progress;
};

// Decoding and resampling overlap on two threads: readSeconds is the time
// both took together, the other two what each took alone.
struct StageTimes {
  double templateSeconds = 0, decodeSeconds = 0, resampleSeconds = 0, readSeconds = 0, loudnessSeconds = 0,
         encodeSeconds = 0;
};

struct ConvertResult {
  Outcome outcome;
  std::string songPath;       // the ".asf" written
  std::string templateName;   // empty: the built-in layout
  bool templateMeasured = false;  // the template has a loudness (not silent)
  bool matched = false;        // loudness matching was asked for
  bool songMeasured = false;
  double songLufs = 0, targetLufs = 0, gainDb = 0;
  bool peakLimited = false;
  double seconds = 0;          // length of the new song
  StageTimes times;
};

// The produced file's name: the input's name up to its last dot, and
// ".asf" (the importer's own name when the code page cannot spell it, as
// common/importer_window.h says); empty when nothing would remain.
std::string ProducedName(const std::string& input);

ConvertResult ConvertSong(const ConvertRequest& request);

// The status line for a result.
std::string StatusText(const ConvertResult& result);
// Empty for a success; otherwise why no song was made, in a player's words.
std::string ReasonText(const ConvertResult& result);

}  // namespace tunegrab
