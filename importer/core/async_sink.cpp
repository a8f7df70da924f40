#include "importer/core/async_sink.h"

namespace tunegrab {

namespace {
// Chunks waiting at most: the decoder never runs far ahead in memory.
constexpr size_t kMaxQueued = 16;
}  // namespace

AsyncSink::AsyncSink(AudioSink& inner, int channels) : inner_(inner), channels_(channels), worker_([this] { Run(); }) {}

AsyncSink::~AsyncSink() { Finish(); }

void AsyncSink::Push(const float* interleaved, size_t frames) {
  if (frames == 0) return;
  std::vector<float> chunk(interleaved, interleaved + frames * static_cast<size_t>(channels_));
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return queue_.size() < kMaxQueued; });
  queue_.push_back(std::move(chunk));
  changed_.notify_all();
}

void AsyncSink::Finish() {
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
