// Hands decoded chunks to another sink on a thread of its own, so that
// decoding and resampling run at the same time on two cores.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "importer/core/audio.h"

namespace tunegrab {

class AsyncSink : public AudioSink {
 public:
  AsyncSink(AudioSink& inner, int channels);
  ~AsyncSink() override;  // finishes
  void Push(const float* interleaved, size_t frames) override;
  // Waits until the inner sink has been given every chunk.
  void Finish();

 private:
  void Run();
  void HandOver();  // queues what has been gathered

  AudioSink& inner_;
  int channels_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::vector<float>> queue_;
  std::vector<float> pending_;  // gathered on the caller's thread
  bool done_ = false;
  std::thread worker_;
};

}  // namespace tunegrab
