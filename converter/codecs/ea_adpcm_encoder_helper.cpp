#include "converter/codecs/ea_adpcm_encoder_helper.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

struct EncoderHelper::Shared {
  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable finished;
  Task task = nullptr;
  void* argument = nullptr;
  std::exception_ptr failure;
  bool pending = false;  // handed over, not picked up yet
  bool running = false;  // being run by the helper
  bool busy = false;     // between a successful TryBegin and Finish
  bool stop = false;     // the program ends
  std::thread thread;

  void Run() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      wake.wait(lock, [this] { return pending || stop; });
      if (stop) return;
      pending = false;
      running = true;
      const Task picked = task;
      void* const pickedArgument = argument;
      lock.unlock();
      std::exception_ptr thrown;
      try {
        picked(pickedArgument);
      } catch (...) {
        thrown = std::current_exception();
      }
      lock.lock();
      failure = thrown;
      running = false;
      finished.notify_one();
    }
  }

  ~Shared() {
    if (!thread.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex);
      stop = true;
    }
    wake.notify_one();
    thread.join();
  }
};

EncoderHelper* EncoderHelper::Get() {
  // Destroyed when the program ends, which stops and joins the thread.
  static Shared shared;
  static EncoderHelper* helper = [] {
    try {
      shared.thread = std::thread(&Shared::Run, &shared);
    } catch (const std::system_error&) {
      return static_cast<EncoderHelper*>(nullptr);
    }
    static EncoderHelper instance(&shared);
    return &instance;
  }();
  return helper;
}

bool EncoderHelper::TryBegin(Task task, void* argument) {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  if (shared_->busy) return false;
  shared_->busy = true;
  shared_->task = task;
  shared_->argument = argument;
  shared_->pending = true;
  shared_->wake.notify_one();
  return true;
}

void EncoderHelper::Finish() {
  Shared& s = *shared_;
  std::unique_lock<std::mutex> lock(s.mutex);
  if (s.pending) {
    s.pending = false;
    s.busy = false;
    const Task task = s.task;
    void* const argument = s.argument;
    lock.unlock();
    task(argument);
    return;
  }
  s.finished.wait(lock, [&s] { return !s.running; });
  s.busy = false;
  if (s.failure) std::rethrow_exception(std::exchange(s.failure, nullptr));
}
