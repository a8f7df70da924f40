#include "importer/win32/acm_mp3_decoder.h"

#include <windows.h>

#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>

using namespace tunegrab;

namespace {

constexpr size_t kSourceBytes = 64 * 1024;

// Passes on only the samples of the encoded audio: the decoder's delay
// (and the encoder's, from the LAME tag) skipped at the front, the
// padding left off at the end.
class TrimmingSink {
 public:
  TrimmingSink(AudioSink& sink, int channels, int64_t skip, int64_t keep)
      : sink_(sink), channels_(channels), skip_(skip), keep_(keep) {}

  void Push(const int16_t* pcm, size_t frames) {
    size_t from = static_cast<size_t>(std::min<int64_t>(skip_, static_cast<int64_t>(frames)));
    skip_ -= static_cast<int64_t>(from);
    size_t count = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(frames - from), keep_));
    keep_ -= static_cast<int64_t>(count);
    if (count == 0) return;
    buffer_.resize(count * static_cast<size_t>(channels_));
    const int16_t* in = pcm + from * static_cast<size_t>(channels_);
    for (size_t i = 0; i < buffer_.size(); ++i) buffer_[i] = in[i] * (1.0f / 32768);
    sink_.Push(buffer_.data(), count);
  }

 private:
  AudioSink& sink_;
  int channels_;
  int64_t skip_, keep_;
  std::vector<float> buffer_;
};

class AcmStream {
 public:
  ~AcmStream() {
    if (prepared_) acmStreamUnprepareHeader(stream_, &header_, 0);
    if (stream_) acmStreamClose(stream_, 0);
  }

  bool Open(const Mp3FrameHeader& first) {
    MPEGLAYER3WAVEFORMAT source{};
    source.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    source.wfx.nChannels = static_cast<WORD>(first.channels);
    source.wfx.nSamplesPerSec = static_cast<DWORD>(first.rate);
    source.wfx.nAvgBytesPerSec = static_cast<DWORD>(first.bitrate / 8);  // never 0: the codec divides by it
    source.wfx.nBlockAlign = 1;
    source.wfx.wBitsPerSample = 0;
    source.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    source.wID = MPEGLAYER3_ID_MPEG;
    source.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
    source.nBlockSize = static_cast<WORD>(first.bytes);
    source.nFramesPerBlock = 1;
    source.nCodecDelay = 0;

    // The PCM side keeps the MP3's rate and channels.
    WAVEFORMATEX pcm{};
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    if (acmFormatSuggest(nullptr, &source.wfx, &pcm, sizeof pcm, ACM_FORMATSUGGESTF_WFORMATTAG) != 0) {
      pcm.nChannels = source.wfx.nChannels;
      pcm.nSamplesPerSec = source.wfx.nSamplesPerSec;
      pcm.wBitsPerSample = 16;
    }
    if (pcm.wBitsPerSample != 16 || pcm.nChannels != source.wfx.nChannels || pcm.nSamplesPerSec != source.wfx.nSamplesPerSec)
      return false;
    pcm.nBlockAlign = static_cast<WORD>(pcm.nChannels * 2);
    pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;
    channels_ = pcm.nChannels;
    if (acmStreamOpen(&stream_, nullptr, &source.wfx, &pcm, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0) {
      stream_ = nullptr;
      return false;
    }
    DWORD outputBytes = 0;
    if (acmStreamSize(stream_, kSourceBytes, &outputBytes, ACM_STREAMSIZEF_SOURCE) != 0 || outputBytes == 0)
      outputBytes = kSourceBytes * 48;
    source_.resize(kSourceBytes);
    output_.resize(std::max<size_t>(outputBytes, 1152 * 2 * 2 * 8));
    header_.cbStruct = sizeof header_;
    header_.pbSrc = source_.data();
    header_.cbSrcLength = static_cast<DWORD>(source_.size());
    header_.pbDst = output_.data();
    header_.cbDstLength = static_cast<DWORD>(output_.size());
    prepared_ = acmStreamPrepareHeader(stream_, &header_, 0) == 0;
    return prepared_;
  }

  // Converts what the source buffer holds; keeps converting while the
  // output comes back full. With end, repeats the final call until the
  // codec gives nothing more.
  bool Convert(size_t& pending, TrimmingSink& sink, bool end) {
    for (int round = 0; round < 100000; ++round) {
      header_.cbSrcLength = static_cast<DWORD>(pending);
      header_.cbSrcLengthUsed = 0;
      header_.cbDstLengthUsed = 0;
      if (acmStreamConvert(stream_, &header_, end ? ACM_STREAMCONVERTF_END : ACM_STREAMCONVERTF_BLOCKALIGN) != 0)
        return false;
      const size_t used = std::min<size_t>(header_.cbSrcLengthUsed, pending);
      std::memmove(source_.data(), source_.data() + used, pending - used);
      pending -= used;
      const size_t produced = std::min<size_t>(header_.cbDstLengthUsed, output_.size());
      sink.Push(reinterpret_cast<const int16_t*>(output_.data()), produced / (2 * static_cast<size_t>(channels_)));
      if (end) {
        if (produced == 0) return true;
        continue;
      }
      if (produced == output_.size()) continue;   // the codec may hold more
      if (used > 0 && pending > 0) continue;
      return true;
    }
    return false;
  }

  uint8_t* Source() { return source_.data(); }
  size_t Capacity() const { return source_.size(); }

 private:
  HACMSTREAM stream_ = nullptr;
  ACMSTREAMHEADER header_{};
  bool prepared_ = false;
  int channels_ = 2;
  std::vector<uint8_t> source_, output_;
};

}  // namespace

int Mp3DecoderDelay(MpegVersion version) { return version == MpegVersion::Mpeg1 ? 529 : 0; }

Outcome AcmMp3Decoder::Decode(const std::vector<uint8_t>& file, const Mp3Scan& scan, AudioSink& sink) {
  AcmStream stream;
  if (!stream.Open(scan.first))
    return Outcome::Fail("Windows' MPEG Layer-3 codec is not available, or refuses this MP3 file.", Failure::NotReadableHere);
  const int64_t skip = Mp3DecoderDelay(scan.first.version) + scan.encoderDelay;
  const int64_t keep = scan.hasLameTag ? Mp3EncodedSamples(scan) : INT64_MAX;
  TrimmingSink trimmed(sink, scan.first.channels, skip, keep);

  size_t pending = 0;
  size_t next = 0;
  while (next < scan.frames.size()) {
    const size_t before = next;
    const size_t pendingBefore = pending;
    // Whole frames only, as many as fit.
    while (next < scan.frames.size() && pending + scan.frames[next].bytes <= stream.Capacity()) {
      std::memcpy(stream.Source() + pending, file.data() + scan.frames[next].offset, scan.frames[next].bytes);
      pending += scan.frames[next].bytes;
      ++next;
    }
    if (!stream.Convert(pending, trimmed, false)) return Outcome::Fail("The MP3 file could not be decoded.", Failure::Damaged);
    if (next == before && pending == pendingBefore) return Outcome::Fail("The MP3 file could not be decoded.", Failure::Damaged);
  }
  if (!stream.Convert(pending, trimmed, true)) return Outcome::Fail("The MP3 file could not be decoded.", Failure::Damaged);
  return Outcome{};
}
