// libFuzzer target: any bytes as the importer's input MP3 file (tags, junk,
// frame headers, the Xing/Info/VBRI frame and the LAME tag).
#include "fuzz_support.h"
#include "importer/core/mp3/mp3_scanner.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FuzzBytes bytes(data, data + size);
  tunegrab::Mp3Scan scan;
  if (!tunegrab::ScanMp3(bytes, scan).ok) return 0;
  uint64_t previousEnd = 0;
  for (const tunegrab::Mp3Frame& frame : scan.frames) {
    Require(frame.offset >= previousEnd, "frames in order, not overlapping");
    Require(static_cast<uint64_t>(frame.offset) + frame.bytes <= size, "frames inside the file");
    previousEnd = static_cast<uint64_t>(frame.offset) + frame.bytes;
  }
  Require(tunegrab::Mp3EncodedSamples(scan) >= 0, "sample count not negative");
  return 0;
}
