// The EA ADPCM encoder's one helper thread: it runs one task while the caller
// runs another, for the halves of split stereo and for the two channels'
// lanes of a stereo frame. It is started on first use and kept, since an
// import codes a song block by block and a frame's lanes take about a
// microsecond: a thread per task would cost more than the task. It is joined
// when the program ends.
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
