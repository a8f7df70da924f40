// Progress lines on a console. A progress line ends in a carriage return
// and no line feed, so on a console each one overwrites the one before:
// showing about ten a second looks the same as showing every one, while a
// console that redraws each line it gets (Wine's, for one) takes minutes
// for a long song's thousands of lines. Into a file or a pipe every line
// is kept, byte for byte.
#pragma once

#include <chrono>
#include <string>

class ProgressThrottle {
 public:
  using Clock = std::chrono::steady_clock;

  // console: standard output is a console; interval: the least time
  // between two progress lines shown.
  explicit ProgressThrottle(bool console, Clock::duration interval = std::chrono::milliseconds(100))
      : console_(console), interval_(interval) {}

  // What to write now for message, printed at now: the message itself, ""
  // for a progress line held back, or the last line held back followed by
  // the message when the message ends a line (so the last progress line
  // always shows before what follows it).
  std::string Take(const std::string& message, Clock::time_point now);
  // The progress line still held back at the end of the run ("" if none).
  std::string Finish();

  static bool IsProgressLine(const std::string& message);

 private:
  bool console_;
  Clock::duration interval_;
  bool shownAny_ = false;
  Clock::time_point lastShown_{};
  std::string held_;
};
