#include "importer/core/mp4/mp4_input.h"

#include "importer/core/byte_source.h"
#include "importer/core/mp4/mp4_reader.h"

namespace tunegrab {

namespace {

constexpr size_t kMaxPacketBytes = 1 << 16;  // far above AAC's 768 bytes a channel
constexpr size_t kPushFrames = 8192;
constexpr int64_t kUnitsPerSecond = 10000000;  // the receiver's stamps: 100 ns

// Frames to the receiver's time units, rounded (exact again when it turns
// them back into frames).
int64_t Stamp(int64_t frames, int rate) {
  const int64_t magnitude = ((frames < 0 ? -frames : frames) * kUnitsPerSecond + rate / 2) / rate;
  return frames < 0 ? -magnitude : magnitude;
}

enum class Run { Done, NotTaken, Failed };

// Feeds the packets in order and hands the decoded frames on, stamped
// from the edit's start; the receiver's window trims to the edit's length.
class PacketRun {
 public:
  PacketRun(ByteSource& source, const Mp4AudioTrack& track, AacDecoder& aac, const AacConfig& config, MediaFormat format,
            MediaReceiver& receiver)
      : source_(source), track_(track), aac_(aac), config_(config), format_(format), receiver_(receiver) {}

  Run Go() {
    if (format_.rate != config_.rate || format_.channels != config_.channels) return Run::NotTaken;
    priming_ = static_cast<int64_t>(Rescale(track_.edited ? track_.editStart : 0, track_.timescale, static_cast<uint32_t>(format_.rate)));
    const uint64_t length = Rescale(track_.edited ? track_.editLength : track_.duration, track_.timescale, static_cast<uint32_t>(format_.rate));
    format_.duration = Stamp(static_cast<int64_t>(length), format_.rate);
    limit_ = static_cast<int64_t>(track_.packets.size()) * config_.frameLength;
    std::vector<uint8_t> packet;
    for (const Mp4Packet& p : track_.packets) {
      if (p.size > kMaxPacketBytes) return Stop(0x80004005u);
      packet.resize(p.size);
      if (!source_.ReadExactAt(p.offset, packet.data(), packet.size())) return Stop(0x80004005u);
      ++fed_;
      if (const uint32_t error = aac_.Decode(packet.data(), packet.size(), pcm_)) return Stop(error);
      if (!Hand(false)) return Result();
    }
    if (const uint32_t error = aac_.Drain(pcm_)) return Stop(error);
    Hand(true);
    return Result();
  }

  uint32_t error = 0;

 private:
  size_t Frames() const { return pcm_.size() / static_cast<size_t>(format_.channels); }

  // A failure before the first frame leaves the file to the fallback.
  Run Stop(uint32_t code) {
    error = code;
    return began_ ? Run::Failed : Run::NotTaken;
  }
  Run Result() const { return began_ || refused_ ? Run::Done : Run::NotTaken; }

  // Passes the frames on once there are enough (or at the end); false when
  // nothing more is wanted or the decoder gives more than a packet's worth
  // a packet (a doubled rate the config did not name).
  bool Hand(bool end) {
    if (!began_) {
      if (pcm_.empty()) return true;
      if (Frames() > fed_ * static_cast<size_t>(config_.frameLength)) return false;
      began_ = receiver_.Begin(format_);
      refused_ = !began_;
      if (!began_) return false;
    }
    if (!end && Frames() < kPushFrames) return true;
    size_t frames = Frames();
    if (position_ + static_cast<int64_t>(frames) > limit_) frames = static_cast<size_t>(limit_ - position_);
    for (float& v : pcm_)
      if (!(v >= -1.0f && v <= 1.0f)) v = v > 1.0f ? 1.0f : v < -1.0f ? -1.0f : 0.0f;  // NaN too
    const bool more = frames == 0 || receiver_.Push(Stamp(position_ - priming_, format_.rate), pcm_.data(), frames);
    position_ += static_cast<int64_t>(frames);
    pcm_.clear();
    return more;
  }

  ByteSource& source_;
  const Mp4AudioTrack& track_;
  AacDecoder& aac_;
  const AacConfig& config_;
  MediaFormat format_;
  MediaReceiver& receiver_;
  std::vector<float> pcm_;
  size_t fed_ = 0;
  int64_t priming_ = 0, limit_ = 0, position_ = 0;
  bool began_ = false, refused_ = false;
};

}  // namespace

MediaStatus Mp4AacInput::Decode(const std::string& path, MediaReceiver& receiver) {
  Run run = Run::NotTaken;
  MediaStatus status;
  if (aac_) {
    FileSource source;
    Mp4AudioTrack track;
    AacConfig config;
    MediaFormat format;
    if (source.Open(path.c_str()) && LooksLikeMp4(source) && ReadMp4AudioTrack(source, track).ok && track.objectType == 0x40 &&
        !track.packets.empty() && ParseAacConfig(track.decoderConfig.data(), track.decoderConfig.size(), config) &&
        IsPlainAacLc(config) && aac_->Open(config, track.decoderConfig, format)) {
      PacketRun packets(source, track, *aac_, config, format, receiver);
      run = packets.Go();
      aac_->Close();
      if (run == Run::Failed) {
        status.ok = false;
        status.reading = true;
        status.code = packets.error;
      }
    }
  }
  return run == Run::NotTaken ? fallback_.Decode(path, receiver) : status;
}

}  // namespace tunegrab
