#include "importer/core/flac/flac_reader.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tunegrab {

namespace {

const char kDamaged[] = "The FLAC file is damaged: ";

constexpr int kStreamInfo = 0;
constexpr int kInvalidBlockType = 127;
constexpr uint32_t kStreamInfoBytes = 34;

// The largest frame the decoder takes: more than a frame of eight 32-bit
// channels of 65,535 samples stored verbatim. The window of the file held
// in memory is twice that, so that it always holds a whole frame.
constexpr size_t kMaxFrameBytes = 3u << 20;
constexpr size_t kWindowBytes = 2 * kMaxFrameBytes;

// The least a frame can take: its header, one subframe byte, its CRC-16.
constexpr uint64_t kMinFrameBytes = 8;

Outcome Damaged(const char* why) { return Outcome::Fail(std::string(kDamaged) + why, Failure::Damaged); }

Outcome ParseStreamInfo(const uint8_t* b, FlacStreamInfo& info) {
  info.minBlockSize = b[0] << 8 | b[1];
  info.maxBlockSize = b[2] << 8 | b[3];
  const uint32_t rate = static_cast<uint32_t>(b[10]) << 12 | static_cast<uint32_t>(b[11]) << 4 | b[12] >> 4;
  info.channels = ((b[12] >> 1) & 7) + 1;
  info.bits = ((b[12] & 1) << 4 | b[13] >> 4) + 1;
  info.totalSamples = static_cast<uint64_t>(b[13] & 0xF) << 32 | U32BE(b + 14);
  if (info.bits < 4) return Damaged("its sample width is below 4 bits.");
  if (rate < static_cast<uint32_t>(kMinRate) || rate > static_cast<uint32_t>(kMaxRate))
    return Outcome::Fail("The FLAC file's sample rate is outside 8,000 to 192,000 Hz.");
  info.rate = static_cast<int>(rate);
  if (info.totalSamples > static_cast<uint64_t>(kMaxSongSeconds) * rate) return Outcome::Fail("The song is longer than 30 minutes.");
  return Outcome{};
}

// The part of the file being decoded, read in pieces: after Fill it holds
// at least kMaxFrameBytes from the current position, or the rest of the file.
class Window {
 public:
  Window(ByteSource& source, uint64_t offset)
      : source_(source), start_(offset), bytes_(static_cast<size_t>(std::min<uint64_t>(kWindowBytes, source.Size() - offset))) {}

  bool Fill() {
    const uint64_t fileEnd = source_.Size();
    if (end_ - begin_ >= kMaxFrameBytes || start_ + end_ >= fileEnd) return true;
    std::memmove(bytes_.data(), bytes_.data() + begin_, end_ - begin_);
    start_ += begin_;
    end_ -= begin_;
    begin_ = 0;
    const size_t more = static_cast<size_t>(std::min<uint64_t>(bytes_.size() - end_, fileEnd - start_ - end_));
    if (!source_.ReadExactAt(start_ + end_, bytes_.data() + end_, more)) return false;
    end_ += more;
    return true;
  }
  const uint8_t* Data() const { return bytes_.data() + begin_; }
  size_t Available() const { return end_ - begin_; }
  void Skip(size_t n) { begin_ += n; }
  // Bytes up to the next possible frame start after the current position.
  size_t ToNextSync() const {
    size_t at = begin_ + 1;
    while (at + 1 < end_ && !(bytes_[at] == 0xFF && (bytes_[at + 1] & 0xFE) == 0xF8)) ++at;
    return std::min(at, end_) - begin_;
  }

 private:
  ByteSource& source_;
  uint64_t start_;  // file offset of bytes_[0]
  std::vector<uint8_t> bytes_;
  size_t begin_ = 0, end_ = 0;
};

// Decoded frames as interleaved floats to the sink.
class FramePusher {
 public:
  FramePusher(const FlacStreamInfo& info, AudioSink& sink)
      : channels_(info.channels), scale_(1.0f / static_cast<float>(uint64_t{1} << (info.bits - 1))), sink_(sink) {}

  void Push(const FlacFrameDecoder& decoder, size_t frames) {
    const size_t n = static_cast<size_t>(channels_);
    if (buffer_.size() < frames * n) buffer_.resize(frames * n);
    float* out = buffer_.data();
    if (n == 2) {
      const int64_t* left = decoder.Channel(0);
      const int64_t* right = decoder.Channel(1);
      for (size_t i = 0; i < frames; ++i) {
        out[2 * i] = static_cast<float>(left[i]) * scale_;
        out[2 * i + 1] = static_cast<float>(right[i]) * scale_;
      }
    } else {
      for (size_t c = 0; c < n; ++c) {
        const int64_t* in = decoder.Channel(static_cast<int>(c));
        for (size_t i = 0; i < frames; ++i) out[i * n + c] = static_cast<float>(in[i]) * scale_;
      }
    }
    sink_.Push(out, frames);
  }

  void PushSilence(uint64_t frames) {
    constexpr size_t kChunk = 4096;
    const size_t n = static_cast<size_t>(channels_);
    if (buffer_.size() < kChunk * n) buffer_.resize(kChunk * n);
    std::fill(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(kChunk * n), 0.0f);
    while (frames > 0) {
      const size_t chunk = static_cast<size_t>(std::min<uint64_t>(frames, kChunk));
      sink_.Push(buffer_.data(), chunk);
      frames -= chunk;
    }
  }

 private:
  int channels_;
  float scale_;
  AudioSink& sink_;
  std::vector<float> buffer_;  // grows to the largest frame met
};

}  // namespace

bool LooksLikeFlac(ByteSource& source) {
  uint8_t head[4];
  return source.ReadExactAt(0, head, 4) && std::memcmp(head, "fLaC", 4) == 0;
}

Outcome ReadFlacLayout(ByteSource& source, FlacLayout& layout) {
  if (!LooksLikeFlac(source)) return Outcome::Fail("The file is not a FLAC file.");
  const uint64_t fileSize = source.Size();
  uint64_t at = 4;
  bool last = false;
  for (int block = 0; !last; ++block) {
    uint8_t head[4];
    if (!source.ReadExactAt(at, head, 4)) return Damaged("its header blocks are cut off.");
    last = (head[0] & 0x80) != 0;
    const int type = head[0] & 0x7F;
    const uint32_t length = static_cast<uint32_t>(head[1]) << 16 | static_cast<uint32_t>(head[2]) << 8 | head[3];
    if (type == kInvalidBlockType) return Damaged("one of its header blocks is invalid.");
    if (block == 0) {
      uint8_t info[kStreamInfoBytes];
      if (type != kStreamInfo || length < kStreamInfoBytes) return Damaged("its stream information is missing.");
      if (!source.ReadExactAt(at + 4, info, kStreamInfoBytes)) return Damaged("its header blocks are cut off.");
      Outcome parsed = ParseStreamInfo(info, layout.info);
      if (!parsed.ok) return parsed;
    }
    at += 4 + static_cast<uint64_t>(length);
    if (at > fileSize) return Damaged("its header blocks are cut off.");
  }
  if (at >= fileSize) return Damaged("it has no audio data.");
  layout.audioOffset = at;
  return Outcome{};
}

Outcome ReadFlacSamples(ByteSource& source, const FlacLayout& layout, AudioSink& sink) {
  const FlacStreamInfo& info = layout.info;
  const uint64_t maxFrames = static_cast<uint64_t>(kMaxSongSeconds) * static_cast<uint64_t>(info.rate);
  const uint64_t limit = info.totalSamples != 0 ? info.totalSamples : maxFrames;
  // Passing over damage may look at each byte a few times, not more.
  const uint64_t damageBudget = 2 * (source.Size() - layout.audioOffset) + kMaxFrameBytes;
  Window window(source, layout.audioOffset);
  FlacFrameDecoder decoder(info);
  FramePusher pusher(info, sink);
  uint64_t position = 0, goodFrames = 0, lostBytes = 0, damageWork = 0;
  bool lost = false;
  while (position < limit) {
    if (!window.Fill()) return Outcome::Fail("The FLAC file could not be read to its end.");
    if (window.Available() == 0) break;
    FlacFrameHeader header;
    size_t examined = 0;
    const size_t length = decoder.Decode(window.Data(), window.Available(), header, examined);
    if (length == 0) {
      damageWork += examined;
      if (damageWork > damageBudget) break;
      const size_t skip = window.ToNextSync();
      lostBytes += skip;
      lost = true;
      window.Skip(skip);
      continue;
    }
    if (lost) {
      // Where this frame belongs, from its number; the gap becomes silence.
      const uint64_t start = header.variableBlockSize ? header.number
                                                      : header.number * static_cast<uint64_t>(info.maxBlockSize);
      const uint64_t plausible = static_cast<uint64_t>(info.maxBlockSize) * (lostBytes / kMinFrameBytes + 1);
      if (start > position && start - position <= plausible && start < limit) {
        pusher.PushSilence(start - position);
        position = start;
      }
      lost = false;
      lostBytes = 0;
    }
    const uint64_t frames = std::min<uint64_t>(static_cast<uint64_t>(header.blockSize), limit - position);
    pusher.Push(decoder, static_cast<size_t>(frames));
    position += frames;
    window.Skip(length);
    ++goodFrames;
  }
  if (goodFrames == 0) return Damaged("none of its audio can be read.");
  if (info.totalSamples == 0 && position >= maxFrames && window.Available() > 0)
    return Outcome::Fail("The song is longer than 30 minutes.");
  return Outcome{};
}

Outcome ReadFlac(ByteSource& source, Audio& out) {
  FlacLayout layout;
  Outcome found = ReadFlacLayout(source, layout);
  if (!found.ok) return found;
  out.rate = layout.info.rate;
  out.channels = layout.info.channels;
  out.samples.clear();
  CollectingSink sink(out);
  return ReadFlacSamples(source, layout, sink);
}

}  // namespace tunegrab
