// AAC packets through Media Foundation's AAC decoder transform (found by
// category and input type, so Wine's serves too). mfplat.dll is loaded from
// the system folder when a stream is opened; COM (multithreaded) and Media
// Foundation are started by Open and shut down by Close, on that thread.
#pragma once

#include <windows.h>

#include <mftransform.h>

#include "importer/core/mp4/aac_decoder.h"

class MfAacDecoder : public tunegrab::AacDecoder {
 public:
  MfAacDecoder() = default;
  MfAacDecoder(const MfAacDecoder&) = delete;
  MfAacDecoder& operator=(const MfAacDecoder&) = delete;
  ~MfAacDecoder() override { Close(); }
  bool Open(const tunegrab::AacConfig& config, const std::vector<uint8_t>& audioSpecificConfig,
            tunegrab::MediaFormat& format) override;
  uint32_t Decode(const uint8_t* packet, size_t size, std::vector<float>& pcm) override;
  uint32_t Drain(std::vector<float>& pcm) override;
  void Close() override;

  // Media Foundation's entry points, from the library loaded by Open.
  struct Entries {
    HRESULT(WINAPI* startup)(ULONG, DWORD) = nullptr;
    HRESULT(WINAPI* shutdown)() = nullptr;
    HRESULT(WINAPI* createMediaType)(IMFMediaType**) = nullptr;
    HRESULT(WINAPI* createSample)(IMFSample**) = nullptr;
    HRESULT(WINAPI* createBuffer)(DWORD, IMFMediaBuffer**) = nullptr;
    HRESULT(WINAPI* enumerate)(GUID, UINT32, const MFT_REGISTER_TYPE_INFO*, const MFT_REGISTER_TYPE_INFO*, IMFActivate***,
                               UINT32*) = nullptr;
  };

 private:
  HRESULT Start(const tunegrab::AacConfig& config, const std::vector<uint8_t>& audioSpecificConfig, tunegrab::MediaFormat& format);
  HRESULT ChooseOutput(tunegrab::MediaFormat& format);
  HRESULT Collect(std::vector<float>& pcm);

  HMODULE platform_ = nullptr;
  Entries mf_;
  bool com_ = false, started_ = false;
  IMFTransform* transform_ = nullptr;
  IMFSample* output_ = nullptr;  // ours, when the transform does not give its own
  bool float_ = false;
  size_t channels_ = 0;
  LONGLONG packetTime_ = 0, time_ = 0;
};
