#include "importer/core/media_input.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>

#include "importer/core/async_sink.h"
#include "importer/core/signal/downmix.h"
#include "importer/core/failure_reason.h"
#include "importer/core/signal/resampler.h"
#include "importer/core/stage_timer.h"

namespace tunegrab {

namespace {

constexpr int kMaxMediaChannels = 8;

// Stamps far outside any song (a day) are held there, so that no product
// with a rate overflows.
int64_t Bounded(int64_t time) {
  constexpr int64_t kDay = 24LL * 3600 * 10000000;
  return time < -kDay ? -kDay : time > kDay ? kDay : time;
}

// Decoded chunks → gapless window → (thread) → downmix → resampler → song.
class SongReceiver : public MediaReceiver {
 public:
  SongReceiver(Audio& song, double& resampleSeconds) : song_(song), resampleSeconds_(resampleSeconds) {}

  bool Begin(const MediaFormat& format) override {
    if (format.channels < 1 || format.channels > kMaxMediaChannels)
      return Refuse("The input file has more than eight channels; at most eight are supported.");
    if (format.rate < kMinRate || format.rate > kMaxRate)
      return Refuse("The input file's sample rate is outside 8,000 to 192,000 Hz.");
    if (format.duration > kMaxSongSeconds * 10000000LL) return Refuse("The song is longer than 30 minutes.");
    channels_ = format.channels;
    rate_ = format.rate;
    limit_ = kMaxSongSeconds * static_cast<int64_t>(format.rate);
    window_ = std::make_unique<GaplessWindow>(format.rate, format.duration);
    resampler_ = std::make_unique<Resampler>(format.rate, std::min(channels_, 2), song_);
    if (format.duration > 0) resampler_->Expect(format.duration / 10000 * format.rate / 1000);
    timed_ = std::make_unique<TimedSink>(*resampler_, resampleSeconds_);
    AudioSink* first = timed_.get();
    if (channels_ > 2) {
      downmix_ = std::make_unique<Downmixer>(*timed_, channels_, format.channelMask);
      first = downmix_.get();
    }
    async_ = std::make_unique<AsyncSink>(*first, channels_);
    return true;
  }

  bool Push(int64_t time, const float* interleaved, size_t frames) override {
    if (!async_ || tooLong_) return false;
    const size_t values = frames * static_cast<size_t>(channels_);
    if (chunks_++ == 0) {  // held back until the second one shows where the music begins
      held_.assign(interleaved, interleaved + values);
      heldTime_ = time;
      return true;
    }
    if (chunks_ == 2 && !ForwardHeld(FirstChunkFrames(heldTime_, HeldFrames(), time, rate_))) return false;
    return Forward(time, interleaved, frames);
  }

  // Ends the input: the end filled, every stage finished.
  void Finish() {
    if (!async_) return;
    if (chunks_ == 1) ForwardHeld(HeldFrames());
    const int64_t fill = tooLong_ ? 0 : window_->EndFill();
    if (fill > 0) {
      std::vector<float> silence(static_cast<size_t>(fill) * static_cast<size_t>(channels_), 0.0f);
      async_->Push(silence.data(), static_cast<size_t>(fill));
    }
    async_->Finish();
    Clock::time_point start = Clock::now();
    resampler_->Finish();
    resampleSeconds_ += Since(start);
  }

  const Outcome& Refusal() const { return refusal_; }
  bool TooLong() const { return tooLong_; }
  bool Began() const { return async_ != nullptr; }

 private:
  size_t HeldFrames() const { return held_.size() / static_cast<size_t>(channels_); }
  bool ForwardHeld(size_t frames) {
    bool more = Forward(heldTime_, held_.data(), frames);
    held_.clear();
    return more;
  }

  bool Forward(int64_t time, const float* interleaved, size_t frames) {
    size_t skip = 0, keep = 0;
    window_->Take(time, frames, skip, keep);
    kept_ += static_cast<int64_t>(keep);
    if (kept_ > limit_) {
      tooLong_ = true;
      return false;
    }
    async_->Push(interleaved + skip * static_cast<size_t>(channels_), keep);
    return true;
  }

  bool Refuse(const char* why) {
    refusal_ = Outcome::Fail(why);
    return false;
  }

  Audio& song_;
  double& resampleSeconds_;
  int channels_ = 0, rate_ = 0;
  int64_t limit_ = 0, kept_ = 0, chunks_ = 0;
  std::vector<float> held_;
  int64_t heldTime_ = 0;
  bool tooLong_ = false;
  Outcome refusal_;
  std::unique_ptr<GaplessWindow> window_;
  std::unique_ptr<Resampler> resampler_;
  std::unique_ptr<TimedSink> timed_;
  std::unique_ptr<Downmixer> downmix_;
  std::unique_ptr<AsyncSink> async_;
};

}  // namespace

GaplessWindow::GaplessWindow(int rate, int64_t duration100ns)
    : rate_(rate), end_(duration100ns > 0 ? (duration100ns * rate + 5000000) / 10000000 : -1) {}

void GaplessWindow::Take(int64_t time, size_t frames, size_t& skip, size_t& keep) {
  time = Bounded(time);
  if (!started_) {
    started_ = true;
    // Only a stamp before 0 is trusted: it marks priming to leave out.
    // Later chunks follow on from the frames already given.
    if (time < 0) position_ = -((-time * rate_ + 5000000) / 10000000);
  }
  const int64_t n = static_cast<int64_t>(frames);
  const int64_t from = std::min<int64_t>(std::max<int64_t>(-position_, 0), n);
  int64_t count = n - from;
  if (end_ >= 0) count = std::max<int64_t>(0, std::min<int64_t>(count, end_ - std::max<int64_t>(position_, 0)));
  skip = static_cast<size_t>(from);
  keep = static_cast<size_t>(count);
  position_ += n;
}

size_t FirstChunkFrames(int64_t firstTime, size_t firstFrames, int64_t nextTime, int rate) {
  firstTime = Bounded(firstTime);
  nextTime = Bounded(nextTime);
  if (firstTime == 0 && nextTime == 0) return firstFrames;
  const int64_t apart = nextTime - firstTime;
  if (apart < 0) return 0;
  const int64_t frames = (apart * rate + 5000000) / 10000000;
  return frames < static_cast<int64_t>(firstFrames) ? static_cast<size_t>(frames) : firstFrames;
}

int64_t GaplessWindow::EndFill() const {
  if (end_ < 0 || !started_ || position_ >= end_) return 0;
  const int64_t missing = end_ - std::max<int64_t>(position_, 0);
  return missing <= static_cast<int64_t>(kMaxEndFillSeconds * rate_) ? missing : 0;
}

MediaRead ReadThroughMediaDecoder(MediaDecoder& decoder, const std::string& path, const std::vector<uint8_t>& head,
                                  Audio& song) {
  MediaRead read;
  Clock::time_point start = Clock::now();
  SongReceiver receiver(song, read.resampleSeconds);
  MediaStatus status = decoder.Decode(path, receiver);
  read.decodeSeconds = Since(start);
  receiver.Finish();
  const bool mediaFile = LooksLikeMediaFile(head.data(), head.size());
  if (status.missing) {
    read.outcome = MediaFoundationMissing(mediaFile);
  } else if (!receiver.Refusal().ok) {
    read.outcome = receiver.Refusal();
  } else if (receiver.TooLong()) {
    read.outcome = Outcome::Fail("The song is longer than 30 minutes.");
  } else if (!status.ok) {
    read.outcome = MediaFailure(status.code, status.reading ? MediaStage::Read : MediaStage::Open, mediaFile);
  } else if (!receiver.Began()) {
    read.outcome = Outcome::Fail("The input file holds no audio.", Failure::Damaged);
  }
  return read;
}

}  // namespace tunegrab
