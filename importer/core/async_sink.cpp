#include "importer/core/async_sink.h"

#include <algorithm>

namespace tunegrab {

namespace {
// Chunks waiting at most: the decoder never runs far ahead in memory.
constexpr size_t kMaxQueued = 16;
// Decoders give a thousand frames or so at a time; they are gathered into
// batches of about this many before each handover, since waking the other
// thread costs more than a small chunk's work where the system's waits are
// slow (Windows under Wine: a 4-minute M4A took 2 s more than its decoding
// when every chunk was handed over on its own).
constexpr size_t kBatchFrames = 16384;
}  // namespace

AsyncSink::AsyncSink(AudioSink& inner, int channels) : inner_(inner), channels_(channels), worker_([this] { Run(); }) {}

AsyncSink::~AsyncSink() { Finish(); }

void AsyncSink::Push(const float* interleaved, size_t frames) {
  if (frames == 0) return;
  const size_t values = frames * static_cast<size_t>(channels_);
  if (pending_.empty()) pending_.reserve(std::max(values, kBatchFrames * static_cast<size_t>(channels_)));
  pending_.insert(pending_.end(), interleaved, interleaved + values);
  if (pending_.size() >= kBatchFrames * static_cast<size_t>(channels_)) HandOver();
}

void AsyncSink::HandOver() {
  if (pending_.empty()) return;
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return queue_.size() < kMaxQueued; });
  queue_.push_back(std::move(pending_));
  pending_ = std::vector<float>();
  changed_.notify_all();
}

void AsyncSink::Finish() {
  HandOver();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
    changed_.notify_all();
  }
  if (worker_.joinable()) worker_.join();
}

void AsyncSink::Run() {
  for (;;) {
    std::vector<float> chunk;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] { return done_ || !queue_.empty(); });
      if (queue_.empty()) return;
      chunk = std::move(queue_.front());
      queue_.pop_front();
      changed_.notify_all();
    }
    inner_.Push(chunk.data(), chunk.size() / static_cast<size_t>(channels_));
  }
}

}  // namespace tunegrab
