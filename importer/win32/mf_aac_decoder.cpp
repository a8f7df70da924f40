#include "importer/win32/mf_aac_decoder.h"

#include <mfapi.h>
#include <mferror.h>

#include <cstring>

#include "importer/win32/mf_support.h"

using namespace tunegrab;

namespace {

constexpr ULONG kMfVersion = 0x00020070;  // the Windows 7 Media Foundation API

// A sample holding one new buffer of the given size (its length 0).
HRESULT NewSample(const MfAacDecoder::Entries& mf, DWORD bytes, IMFSample** sample) {
  Com<IMFMediaBuffer> buffer;
  HRESULT hr = mf.createBuffer(bytes, &buffer);
  if (SUCCEEDED(hr)) hr = mf.createSample(sample);
  if (SUCCEEDED(hr)) hr = (*sample)->AddBuffer(buffer.p);
  return hr;
}

// The first AAC decoder transform the system lists that can be made.
IMFTransform* FindDecoder(const MfAacDecoder::Entries& mf) {
  MFT_REGISTER_TYPE_INFO input{MFMediaType_Audio, MFAudioFormat_AAC};
  IMFActivate** found = nullptr;
  UINT32 count = 0;
  IMFTransform* transform = nullptr;
  if (FAILED(mf.enumerate(MFT_CATEGORY_AUDIO_DECODER, MFT_ENUM_FLAG_SYNCMFT | MFT_ENUM_FLAG_LOCALMFT | MFT_ENUM_FLAG_SORTANDFILTER,
                          &input, nullptr, &found, &count)))
    return nullptr;
  for (UINT32 i = 0; i < count; ++i) {
    if (!transform && FAILED(found[i]->ActivateObject(IID_PPV_ARGS(&transform)))) transform = nullptr;
    found[i]->Release();
  }
  CoTaskMemFree(found);
  return transform;
}

}  // namespace

bool MfAacDecoder::Open(const AacConfig& config, const std::vector<uint8_t>& audioSpecificConfig, MediaFormat& format) {
  if (SUCCEEDED(Start(config, audioSpecificConfig, format))) return true;
  Close();
  return false;
}

HRESULT MfAacDecoder::Start(const AacConfig& config, const std::vector<uint8_t>& audioSpecificConfig, MediaFormat& format) {
  if (!(platform_ = LoadSystemLibrary("mfplat.dll"))) return E_FAIL;
  mf_.startup = EntryPoint<decltype(mf_.startup)>(platform_, "MFStartup");
  mf_.shutdown = EntryPoint<decltype(mf_.shutdown)>(platform_, "MFShutdown");
  mf_.createMediaType = EntryPoint<decltype(mf_.createMediaType)>(platform_, "MFCreateMediaType");
  mf_.createSample = EntryPoint<decltype(mf_.createSample)>(platform_, "MFCreateSample");
  mf_.createBuffer = EntryPoint<decltype(mf_.createBuffer)>(platform_, "MFCreateMemoryBuffer");
  mf_.enumerate = EntryPoint<decltype(mf_.enumerate)>(platform_, "MFTEnumEx");
  if (!mf_.startup || !mf_.shutdown || !mf_.createMediaType || !mf_.createSample || !mf_.createBuffer || !mf_.enumerate) return E_FAIL;
  com_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  HRESULT hr = mf_.startup(kMfVersion, MFSTARTUP_LITE);
  if (FAILED(hr)) return hr;
  started_ = true;
  if (!(transform_ = FindDecoder(mf_))) return E_FAIL;
  // Raw packets; the user data is what follows WAVEFORMATEX in
  // HEAACWAVEINFO (payload type 0, profile and level not given, the rest
  // 0), then the AudioSpecificConfig.
  std::vector<UINT8> userData(12, 0);
  userData[2] = 0xFE;
  userData.insert(userData.end(), audioSpecificConfig.begin(), audioSpecificConfig.end());
  Com<IMFMediaType> input;
  if (FAILED(hr = mf_.createMediaType(&input))) return hr;
  input->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
  input->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_AAC);
  input->SetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, static_cast<UINT32>(config.rate));
  input->SetUINT32(MF_MT_AUDIO_NUM_CHANNELS, static_cast<UINT32>(config.channels));
  input->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16);
  input->SetUINT32(MF_MT_AAC_PAYLOAD_TYPE, 0);
  input->SetBlob(MF_MT_USER_DATA, userData.data(), static_cast<UINT32>(userData.size()));
  if (FAILED(hr = transform_->SetInputType(0, input.p, 0))) return hr;
  if (FAILED(hr = ChooseOutput(format))) return hr;
  MFT_OUTPUT_STREAM_INFO info{};
  if (FAILED(hr = transform_->GetOutputStreamInfo(0, &info))) return hr;
  if (!(info.dwFlags & (MFT_OUTPUT_STREAM_PROVIDES_SAMPLES | MFT_OUTPUT_STREAM_CAN_PROVIDE_SAMPLES))) {
    const DWORD packetBytes = static_cast<DWORD>(2 * config.frameLength * channels_ * (float_ ? 4 : 2));  // room for a doubled rate
    if (FAILED(hr = NewSample(mf_, info.cbSize > packetBytes ? info.cbSize : packetBytes, &output_))) return hr;
  }
  packetTime_ = config.frameLength * 10000000LL / config.rate;
  transform_->ProcessMessage(MFT_MESSAGE_NOTIFY_BEGIN_STREAMING, 0);
  transform_->ProcessMessage(MFT_MESSAGE_NOTIFY_START_OF_STREAM, 0);
  return S_OK;
}

// 32-bit float when the transform offers it, else 16-bit PCM.
HRESULT MfAacDecoder::ChooseOutput(MediaFormat& format) {
  for (int pass = 0; pass < 2; ++pass) {
    Com<IMFMediaType> type;
    for (DWORD i = 0; SUCCEEDED(transform_->GetOutputAvailableType(0, i, &type)); ++i, type.Reset()) {
      GUID subtype{};
      UINT32 bits = 0, rate = 0, channels = 0, mask = 0;
      type->GetGUID(MF_MT_SUBTYPE, &subtype);
      type->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &bits);
      const bool wanted = pass == 0 ? subtype == MFAudioFormat_Float && bits == 32 : subtype == MFAudioFormat_PCM && bits == 16;
      if (!wanted || FAILED(type->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate)) ||
          FAILED(type->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels)) || channels == 0 ||
          FAILED(transform_->SetOutputType(0, type.p, 0)))
        continue;
      if (FAILED(type->GetUINT32(MF_MT_AUDIO_CHANNEL_MASK, &mask)) && channels <= 2) mask = 0;
      float_ = pass == 0;
      channels_ = channels;
      format.rate = static_cast<int>(rate);
      format.channels = static_cast<int>(channels);
      format.channelMask = mask;
      return S_OK;
    }
  }
  return MF_E_INVALIDMEDIATYPE;
}

uint32_t MfAacDecoder::Decode(const uint8_t* packet, size_t size, std::vector<float>& pcm) {
  Com<IMFSample> sample;
  HRESULT hr = NewSample(mf_, static_cast<DWORD>(size), &sample);
  Com<IMFMediaBuffer> buffer;
  BYTE* data = nullptr;
  if (SUCCEEDED(hr)) hr = sample->GetBufferByIndex(0, &buffer);
  if (SUCCEEDED(hr) && SUCCEEDED(hr = buffer->Lock(&data, nullptr, nullptr))) {
    std::memcpy(data, packet, size);
    buffer->Unlock();
    hr = buffer->SetCurrentLength(static_cast<DWORD>(size));
  }
  if (FAILED(hr)) return static_cast<uint32_t>(hr);
  sample->SetSampleTime(time_);
  sample->SetSampleDuration(packetTime_);
  time_ += packetTime_;
  hr = transform_->ProcessInput(0, sample.p, 0);
  if (hr == MF_E_NOTACCEPTING) {
    if (FAILED(hr = Collect(pcm))) return static_cast<uint32_t>(hr);
    hr = transform_->ProcessInput(0, sample.p, 0);
  }
  if (FAILED(hr)) return static_cast<uint32_t>(hr);
  return static_cast<uint32_t>(Collect(pcm));
}

uint32_t MfAacDecoder::Drain(std::vector<float>& pcm) {
  transform_->ProcessMessage(MFT_MESSAGE_NOTIFY_END_OF_STREAM, 0);
  transform_->ProcessMessage(MFT_MESSAGE_COMMAND_DRAIN, 0);
  return static_cast<uint32_t>(Collect(pcm));
}

// Takes output until the transform needs more input.
HRESULT MfAacDecoder::Collect(std::vector<float>& pcm) {
  for (;;) {
    MFT_OUTPUT_DATA_BUFFER out{};
    Com<IMFMediaBuffer> ours;
    if (output_) {
      if (FAILED(output_->GetBufferByIndex(0, &ours))) return E_UNEXPECTED;
      ours->SetCurrentLength(0);
      out.pSample = output_;
    }
    DWORD status = 0;
    HRESULT hr = transform_->ProcessOutput(0, 1, &out, &status);
    if (out.pEvents) out.pEvents->Release();
    if (hr == MF_E_TRANSFORM_NEED_MORE_INPUT) return S_OK;
    if (FAILED(hr)) return hr;
    if (!out.pSample) return E_UNEXPECTED;
    Com<IMFMediaBuffer> buffer;
    hr = out.pSample->ConvertToContiguousBuffer(&buffer);
    if (out.pSample != output_) out.pSample->Release();
    BYTE* data = nullptr;
    DWORD length = 0;
    if (FAILED(hr) || FAILED(hr = buffer->Lock(&data, nullptr, &length))) return hr;
    const size_t values = length / (float_ ? 4 : 2) / channels_ * channels_;
    const size_t at = pcm.size();
    pcm.resize(at + values);
    if (float_) {
      std::memcpy(pcm.data() + at, data, values * 4);
    } else {
      const auto* samples = reinterpret_cast<const int16_t*>(data);
      for (size_t i = 0; i < values; ++i) pcm[at + i] = samples[i] * (1.0f / 32768);
    }
    buffer->Unlock();
  }
}

void MfAacDecoder::Close() {
  if (output_) output_->Release();
  output_ = nullptr;
  if (transform_) {
    transform_->ProcessMessage(MFT_MESSAGE_NOTIFY_END_STREAMING, 0);
    transform_->Release();
  }
  transform_ = nullptr;
  if (started_) mf_.shutdown();
  started_ = false;
  if (com_) CoUninitialize();
  com_ = false;
  if (platform_) FreeLibrary(platform_);
  platform_ = nullptr;
  time_ = 0;
}
