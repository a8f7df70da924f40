// Decoded audio as the importer's stages pass it on: interleaved samples in
// the range -1..1, one or two channels (more only before the downmix).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tunegrab {

struct Audio {
  int rate = 0;
  int channels = 0;
  std::vector<float> samples;  // frames × channels, interleaved

  int64_t Frames() const { return channels > 0 ? static_cast<int64_t>(samples.size()) / channels : 0; }
};

// The shortest and longest song the importer makes, and the rates it reads.
constexpr int kMinRate = 8000;
constexpr int kMaxRate = 192000;
constexpr int64_t kMaxSongSeconds = 30 * 60;

// Receives decoded audio chunk by chunk: frames of the source's channels,
// interleaved, in the range -1..1.
class AudioSink {
 public:
  virtual ~AudioSink() = default;
  virtual void Push(const float* interleaved, size_t frames) = 0;
};

// A sink that keeps everything it is given.
class CollectingSink : public AudioSink {
 public:
  explicit CollectingSink(Audio& into) : into_(into) {}
  void Push(const float* interleaved, size_t frames) override {
    into_.samples.insert(into_.samples.end(), interleaved, interleaved + frames * static_cast<size_t>(into_.channels));
  }

 private:
  Audio& into_;
};

// Why a conversion failed, in the terms a player is told (failure_reason.h
// has the sentences). Specific: the status line's own sentence says it.
enum class Failure { None, Specific, NotReadableHere, Damaged, InputUnreadable, DiskFull, CannotWrite };

// What a stage reports: success, or the sentence the status line shows.
struct Outcome {
  bool ok = true;
  std::string text;
  Failure kind = Failure::None;
  static Outcome Fail(std::string why, Failure kind = Failure::Specific) { return Outcome{false, std::move(why), kind}; }
};

}  // namespace tunegrab
