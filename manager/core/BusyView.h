// A window that works through a batch (songs made, songs exported).
#pragma once

// The window a batch runs in: its hourglass, and processing the pending
// window messages once between two files.
class IBusyView {
 public:
  virtual ~IBusyView() = default;
  virtual void SetHourglass(bool on) = 0;
  virtual void DoEvents() = 0;
};
