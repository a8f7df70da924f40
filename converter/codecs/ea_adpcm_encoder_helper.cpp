#include "converter/codecs/ea_adpcm_encoder_helper.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

enum Phase : int { kIdle, kPosted, kRunning, kDone };

// A wait first watches its flag for this long, then sleeps until woken. An
// import hands over a half every block, a few microseconds after the last
// one ended: a helper that went to sleep in between would take longer to
// wake (tens of microseconds) than the watch costs, and the two halves would
// hardly overlap. Anything longer than the watch (the end of a song, the
// caller waiting on a helper the system has descheduled) sleeps, so no
// thread keeps a core busy while it waits for more than this.
constexpr std::chrono::microseconds kWatchTime{50};

inline void Relax() {
#if defined(__SSE2__)
  _mm_pause();
#endif
}

// Waits until ready() holds: watching for kWatchTime, then sleeping on
// `wake` with `sleeping` set so that the other side knows to notify.
template <typename Ready>
void Await(Ready ready, std::atomic<bool>& sleeping, std::mutex& mutex, std::condition_variable& wake) {
  const auto until = std::chrono::steady_clock::now() + kWatchTime;
  for (int i = 0; !ready(); ++i) {
    Relax();
    if ((i & 255) == 255 && std::chrono::steady_clock::now() > until) {
      std::unique_lock<std::mutex> lock(mutex);
      sleeping = true;
      wake.wait(lock, ready);
      sleeping = false;
      return;
    }
  }
}

void Wake(std::atomic<bool>& sleeping, std::mutex& mutex, std::condition_variable& wake) {
  if (!sleeping) return;
  { std::lock_guard<std::mutex> lock(mutex); }
  wake.notify_one();
}

}  // namespace

struct EncoderHelper::Shared {
  std::atomic<int> phase{kIdle};
  std::atomic<bool> owned{false};  // between a successful TryBegin and Finish
  std::atomic<bool> stop{false};
  std::atomic<bool> helperSleeping{false};
  std::atomic<bool> callerSleeping{false};
  std::mutex mutex;
  std::condition_variable helperWake;
  std::condition_variable callerWake;
  Task task = nullptr;
  void* argument = nullptr;
  std::exception_ptr failure;
  std::thread thread;

  void Run() {
    for (;;) {
      Await([this] { return phase == kPosted || stop; }, helperSleeping, mutex, helperWake);
      if (stop) return;
      int posted = kPosted;
      if (!phase.compare_exchange_strong(posted, kRunning)) continue;  // the caller took it back
      try {
        task(argument);
      } catch (...) {
        failure = std::current_exception();
      }
      phase = kDone;
      Wake(callerSleeping, mutex, callerWake);
    }
  }

  ~Shared() {
    if (!thread.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex);
      stop = true;
    }
    helperWake.notify_one();
    thread.join();
  }
};

EncoderHelper::EncoderHelper(std::unique_ptr<Shared> shared) : shared_(std::move(shared)) {}

// Destroying the shared part stops and joins the thread.
EncoderHelper::~EncoderHelper() = default;

std::unique_ptr<EncoderHelper> EncoderHelper::Start() {
  auto shared = std::make_unique<Shared>();
  try {
    shared->thread = std::thread(&Shared::Run, shared.get());
  } catch (const std::system_error&) {
    return nullptr;
  }
  return std::unique_ptr<EncoderHelper>(new EncoderHelper(std::move(shared)));
}

bool EncoderHelper::TryBegin(Task task, void* argument) {
  bool free = false;
  if (!shared_->owned.compare_exchange_strong(free, true)) return false;
  shared_->task = task;
  shared_->argument = argument;
  shared_->phase = kPosted;
  Wake(shared_->helperSleeping, shared_->mutex, shared_->helperWake);
  return true;
}

void EncoderHelper::Finish() {
  Shared& s = *shared_;
  int posted = kPosted;
  if (s.phase.compare_exchange_strong(posted, kIdle)) {
    const Task task = s.task;
    void* const argument = s.argument;
    s.owned = false;
    task(argument);
    return;
  }
  Await([&s] { return s.phase == kDone; }, s.callerSleeping, s.mutex, s.callerWake);
  std::exception_ptr failure = std::exchange(s.failure, nullptr);
  s.phase = kIdle;
  s.owned = false;
  if (failure) std::rethrow_exception(failure);
}
