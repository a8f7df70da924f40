#include "importer/win32/mf_decoder.h"

#include <windows.h>

#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include <vector>

#include "common/base/text_encoding.h"
#include "importer/win32/mf_support.h"

using namespace tunegrab;

namespace {

constexpr ULONG kMfVersion = 0x00020070;  // the Windows 7 Media Foundation API
constexpr DWORD kAudio = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);

using StartupFn = HRESULT(WINAPI*)(ULONG, DWORD);
using ShutdownFn = HRESULT(WINAPI*)();
using CreateMediaTypeFn = HRESULT(WINAPI*)(IMFMediaType**);
using CreateReaderFn = HRESULT(WINAPI*)(LPCWSTR, IMFAttributes*, IMFSourceReader**);

// The two libraries and the four entry points; none loaded: no Media Foundation.
struct MfLibrary {
  HMODULE platform = nullptr, reader = nullptr;
  StartupFn startup = nullptr;
  ShutdownFn shutdown = nullptr;
  CreateMediaTypeFn createMediaType = nullptr;
  CreateReaderFn createReader = nullptr;

  bool Load() {
    platform = LoadSystemLibrary("mfplat.dll");
    reader = platform ? LoadSystemLibrary("mfreadwrite.dll") : nullptr;
    if (!reader) return false;
    startup = EntryPoint<StartupFn>(platform, "MFStartup");
    shutdown = EntryPoint<ShutdownFn>(platform, "MFShutdown");
    createMediaType = EntryPoint<CreateMediaTypeFn>(platform, "MFCreateMediaType");
    createReader = EntryPoint<CreateReaderFn>(reader, "MFCreateSourceReaderFromURL");
    return startup && shutdown && createMediaType && createReader;
  }
  ~MfLibrary() {
    if (reader) FreeLibrary(reader);
    if (platform) FreeLibrary(platform);
  }
};

MediaStatus Failed(HRESULT hr, bool reading) {
  MediaStatus status;
  status.ok = false;
  status.reading = reading;
  status.code = static_cast<uint32_t>(hr);
  return status;
}

// The input's path is in UTF-8: a file of any name.
std::wstring Wide(const std::string& path) { return kickora::WideFromUtf8(path); }

// Asks for 32-bit float (or, failing that, 16-bit PCM) at the file's own
// rate and channels; bits tells which one was taken.
HRESULT ChooseOutput(const MfLibrary& mf, IMFSourceReader* reader, MediaFormat& format, UINT32& bits) {
  Com<IMFMediaType> native;
  HRESULT hr = reader->GetNativeMediaType(kAudio, 0, &native);
  if (FAILED(hr)) return hr;
  UINT32 channels = 0, rate = 0, mask = 0;
  native->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels);
  native->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate);
  native->GetUINT32(MF_MT_AUDIO_CHANNEL_MASK, &mask);
  reader->SetStreamSelection(static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS), FALSE);
  reader->SetStreamSelection(kAudio, TRUE);
  for (UINT32 want : {32u, 16u}) {
    Com<IMFMediaType> type;
    if (FAILED(hr = mf.createMediaType(&type))) return hr;
    type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    type->SetGUID(MF_MT_SUBTYPE, want == 32 ? MFAudioFormat_Float : MFAudioFormat_PCM);
    type->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, want);
    if (channels > 0) type->SetUINT32(MF_MT_AUDIO_NUM_CHANNELS, channels);
    if (rate > 0) type->SetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, rate);
    hr = reader->SetCurrentMediaType(kAudio, nullptr, type.p);
    if (SUCCEEDED(hr)) break;
  }
  if (FAILED(hr)) return hr;
  Com<IMFMediaType> current;
  if (FAILED(hr = reader->GetCurrentMediaType(kAudio, &current))) return hr;
  GUID subtype{};
  UINT32 currentBits = 0;
  current->GetGUID(MF_MT_SUBTYPE, &subtype);
  current->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &currentBits);
  current->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels);
  current->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate);
  if (FAILED(current->GetUINT32(MF_MT_AUDIO_CHANNEL_MASK, &mask)) && channels <= 2) mask = 0;
  const bool isFloat = subtype == MFAudioFormat_Float && currentBits == 32;
  const bool isPcm = subtype == MFAudioFormat_PCM && currentBits == 16;
  if ((!isFloat && !isPcm) || channels == 0 || rate == 0) return MF_E_INVALIDMEDIATYPE;
  bits = currentBits;
  format.channels = static_cast<int>(channels);
  format.rate = static_cast<int>(rate);
  format.channelMask = mask;
  PROPVARIANT duration;
  PropVariantInit(&duration);
  if (SUCCEEDED(reader->GetPresentationAttribute(static_cast<DWORD>(MF_SOURCE_READER_MEDIASOURCE), MF_PD_DURATION, &duration)) &&
      duration.vt == VT_UI8)
    format.duration = static_cast<int64_t>(duration.uhVal.QuadPart);
  PropVariantClear(&duration);
  return S_OK;
}

// True when the reader's current output is still the one ChooseOutput took.
bool OutputUnchanged(IMFSourceReader* reader, const MediaFormat& format, UINT32 bits) {
  Com<IMFMediaType> current;
  if (FAILED(reader->GetCurrentMediaType(kAudio, &current))) return false;
  GUID subtype{};
  UINT32 currentBits = 0, channels = 0, rate = 0;
  current->GetGUID(MF_MT_SUBTYPE, &subtype);
  current->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &currentBits);
  current->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels);
  current->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate);
  return subtype == (bits == 32 ? MFAudioFormat_Float : MFAudioFormat_PCM) && currentBits == bits &&
         channels == static_cast<UINT32>(format.channels) && rate == static_cast<UINT32>(format.rate);
}

// Reads every sample of the audio stream into the receiver.
HRESULT ReadAll(IMFSourceReader* reader, const MediaFormat& format, UINT32 bits, MediaReceiver& receiver) {
  const size_t frameBytes = static_cast<size_t>(format.channels) * (bits / 8);
  std::vector<float> samples;
  for (;;) {
    DWORD stream = 0, flags = 0;
    LONGLONG time = 0;
    Com<IMFSample> sample;
    HRESULT hr = reader->ReadSample(kAudio, 0, &stream, &flags, &time, &sample);
    if (FAILED(hr)) return hr;
    if (flags & MF_SOURCE_READERF_ERROR) return E_FAIL;
    // The decoder may change its output mid-stream (HE-AAC doubling its
    // rate): every stage was set up for the first format, so such a file is
    // refused rather than resampled wrongly.
    if ((flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED) && !OutputUnchanged(reader, format, bits))
      return MF_E_INVALIDMEDIATYPE;
    if (sample.p) {
      Com<IMFMediaBuffer> buffer;
      if (FAILED(hr = sample->ConvertToContiguousBuffer(&buffer))) return hr;
      BYTE* data = nullptr;
      DWORD length = 0;
      if (FAILED(hr = buffer->Lock(&data, nullptr, &length))) return hr;
      const size_t frames = length / frameBytes;
      samples.resize(frames * static_cast<size_t>(format.channels));
      if (bits == 32) {
        CopyMemory(samples.data(), data, frames * frameBytes);
      } else {
        const auto* pcm = reinterpret_cast<const int16_t*>(data);
        for (size_t i = 0; i < samples.size(); ++i) samples[i] = pcm[i] * (1.0f / 32768);
      }
      buffer->Unlock();
      for (float& v : samples)
        if (!(v >= -1.0f && v <= 1.0f)) v = v > 1.0f ? 1.0f : v < -1.0f ? -1.0f : 0.0f;  // NaN too
      if (frames > 0 && !receiver.Push(time, samples.data(), frames)) return S_OK;
    }
    if (flags & MF_SOURCE_READERF_ENDOFSTREAM) return S_OK;
  }
}

}  // namespace

MediaStatus MfDecoder::Decode(const std::string& path, MediaReceiver& receiver) {
  MfLibrary mf;
  if (!mf.Load()) {
    MediaStatus missing;
    missing.ok = false;
    missing.missing = true;
    return missing;
  }
  const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  MediaStatus status;
  HRESULT hr = mf.startup(kMfVersion, MFSTARTUP_LITE);
  if (FAILED(hr)) {
    status.ok = false;
    status.missing = true;
    status.code = static_cast<uint32_t>(hr);
  } else {
    {
      Com<IMFSourceReader> reader;
      MediaFormat format;
      UINT32 bits = 0;
      hr = mf.createReader(Wide(path).c_str(), nullptr, &reader);
      if (SUCCEEDED(hr)) hr = ChooseOutput(mf, reader.p, format, bits);
      if (FAILED(hr)) {
        status = Failed(hr, false);
      } else if (receiver.Begin(format)) {
        hr = ReadAll(reader.p, format, bits, receiver);
        if (FAILED(hr)) status = Failed(hr, true);
      }
    }
    mf.shutdown();
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return status;
}
