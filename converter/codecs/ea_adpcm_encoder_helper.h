// A helper thread of the EA ADPCM encoder: it codes one half of split
// stereo while the caller codes the other. Its owner (a conversion context)
// starts it once and keeps it for all its blocks, since an import codes a
// song block by block and a thread per block would cost about as much as
// the half it codes. It is stopped and joined when destroyed.
#pragma once

#include <memory>

class EncoderHelper {
 public:
  using Task = void (*)(void* argument);

  // A started helper, or nullptr when no thread could be started.
  static std::unique_ptr<EncoderHelper> Start();
  ~EncoderHelper();

  // Hands the task over; false when another caller has the helper (that
  // caller then runs both tasks itself).
  bool TryBegin(Task task, void* argument);

  // Returns once the task has run: on the helper, or here when the helper has
  // not picked it up yet (a busy machine), so handing over never costs more
  // than a few memory accesses. Rethrows what the task threw on the helper.
  void Finish();

  EncoderHelper(const EncoderHelper&) = delete;
  EncoderHelper& operator=(const EncoderHelper&) = delete;

 private:
  struct Shared;
  explicit EncoderHelper(std::unique_ptr<Shared> shared);
  std::unique_ptr<Shared> shared_;
};
