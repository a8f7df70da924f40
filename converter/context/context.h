// The conversion context: everything one conversion reads and writes while
// it runs (options, the current stream's parameters, the import's working
// record, the messages it prints and the files it writes). The caller owns
// it; two contexts never share anything, so two conversions may run at once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "converter/codecs/decode_events.h"
#include "converter/codecs/ea_adpcm_encoder_helper.h"
#include "converter/codecs/ea_adpcm_encoder_kernels.h"
#include "converter/context/import_state.h"
#include "converter/context/state.h"

struct ConversionContext {
  // Options of the run.
  char destinationDir[kDestinationDirChars + 1] = {};
  int forcedMode = -1;  // mode number minus 1, -1 for none
  std::string bankFolder;  // where bank samples go; empty: the current directory
  EaAdpcmKernel kernel = DetectedEaAdpcmKernel();

  // Working state.
  StreamParams params;
  ImportState import;
  std::vector<uint8_t> scratch;  // the WAV reader's chunk buffer, made on first use
  // The encoder's helper thread for split stereo, started on first use and
  // joined with the context; SplitStereoHelper() gives it (nullptr when no
  // thread can be started: the encoder then codes both halves itself).
  std::unique_ptr<EncoderHelper> splitHelper;
  bool splitHelperTried = false;
  EncoderHelper* SplitStereoHelper();

  // What the run printed, message by message, in order; each is also handed
  // to echo (when set) the moment it is printed.
  std::vector<std::string> messages;
  std::function<void(const std::string&)> echo;
  // Every file the run wrote (or began to write), in order.
  std::vector<std::string> written;

  void Put(std::string text);
  void Print(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
  void Wrote(const std::string& path) { written.push_back(path); }
};

// Prints what a decoder recorded, as the console has always shown it: a
// line for each corrupt frame, and "o" or "u" for each clipped sample; the
// events are cleared.
void PrintDecodeEvents(ConversionContext& ctx, DecodeEvents& events);
