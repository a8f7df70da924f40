// Decoding through Media Foundation's source reader (Windows 7 and later,
// and Wine through GStreamer). mfplat.dll and mfreadwrite.dll are loaded
// when a file is decoded, so the importer starts and converts WAV and MP3
// files where Media Foundation is missing.
#pragma once

#include "importer/core/media_decoder.h"

class MfDecoder : public tunegrab::MediaDecoder {
 public:
  // On the calling thread: COM (multithreaded) and Media Foundation are
  // started for the decode and shut down again before it returns.
  tunegrab::MediaStatus Decode(const std::string& path, tunegrab::MediaReceiver& receiver) override;
};
