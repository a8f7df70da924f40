// The EA ADPCM encoder's one helper thread: it codes one half of split
// stereo while the caller codes the other. It is started on first use and
// kept, since an import codes a song block by block and a thread per block
// would cost about as much as the half it codes. It is joined when the
// program ends.
#pragma once

class EncoderHelper {
 public:
  using Task = void (*)(void* argument);

  // The helper, or nullptr when no thread could be started.
  static EncoderHelper* Get();

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
  explicit EncoderHelper(Shared* shared) : shared_(shared) {}
  Shared* shared_;
};
