#include "importer/core/vorbis_decoder.h"

#include <cstring>

#include "importer/core/file_ops.h"
#include "importer/core/mp3_scanner.h"

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

namespace tunegrab {

namespace {

constexpr size_t kArenaBytes = 16u << 20;

struct Closer {
  stb_vorbis* vorbis;
  ~Closer() {
    if (vorbis) stb_vorbis_close(vorbis);
  }
};

MediaStatus Refused() {
  MediaStatus status;
  status.ok = false;
  return status;
}

}  // namespace

bool LooksLikeOggVorbis(const std::vector<uint8_t>& head) {
  // The first page: 27 bytes of header and its segment table, then the
  // identification packet, "\x01vorbis".
  if (head.size() < 27 || std::memcmp(head.data(), "OggS", 4) != 0) return false;
  const size_t packet = 27 + static_cast<size_t>(head[26]);
  return head.size() >= packet + 7 && std::memcmp(&head[packet], "\x01vorbis", 7) == 0;
}

MediaStatus VorbisDecoder::Decode(const std::string& path, MediaReceiver& receiver) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, kMaxMp3Bytes, bytes)) return Refused();
  return DecodeBytes(bytes, receiver);
}

MediaStatus VorbisDecoder::DecodeBytes(const std::vector<uint8_t>& bytes, MediaReceiver& receiver) {
  if (bytes.empty() || bytes.size() > kMaxMp3Bytes) return Refused();
  // Every allocation of the decoder comes from this one buffer: its memory
  // is bounded whatever the file says, and nothing stays behind when it
  // gives up half way through a damaged file's set-up.
  std::vector<char> arena(kArenaBytes);
  stb_vorbis_alloc alloc{arena.data(), static_cast<int>(arena.size())};
  int error = 0;
  Closer file{stb_vorbis_open_memory(bytes.data(), static_cast<int>(bytes.size()), &error, &alloc)};
  if (!file.vorbis) return Refused();
  const stb_vorbis_info info = stb_vorbis_get_info(file.vorbis);
  MediaFormat format;
  format.rate = static_cast<int>(info.sample_rate);
  format.channels = info.channels;
  const unsigned length = stb_vorbis_stream_length_in_samples(file.vorbis);
  if (length > 0 && format.rate > 0) format.duration = static_cast<int64_t>(length) * 10000000 / format.rate;
  // Mono and stereo only: this decoder's output for 5.1 streams of
  // libvorbis does not match the stream.
  if (format.channels > 2) {
    MediaStatus layout;
    layout.ok = false;
    layout.missing = true;
    return layout;
  }
  if (format.channels < 1 || !receiver.Begin(format)) return MediaStatus{};

  const int channels = format.channels;
  const size_t chunk = 4096;
  std::vector<float> decoded(chunk * static_cast<size_t>(channels));
  for (;;) {
    const int frames =
        stb_vorbis_get_samples_float_interleaved(file.vorbis, channels, decoded.data(), static_cast<int>(decoded.size()));
    if (frames <= 0) break;
    const size_t values = static_cast<size_t>(frames) * static_cast<size_t>(channels);
    for (size_t i = 0; i < values; ++i) {
      float& v = decoded[i];
      if (!(v >= -1.0f && v <= 1.0f)) v = v > 1.0f ? 1.0f : v < -1.0f ? -1.0f : 0.0f;  // NaN too
    }
    if (!receiver.Push(0, decoded.data(), static_cast<size_t>(frames))) break;
  }
  return MediaStatus{};
}

}  // namespace tunegrab
