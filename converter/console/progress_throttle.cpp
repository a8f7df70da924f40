#include "converter/console/progress_throttle.h"

bool ProgressThrottle::IsProgressLine(const std::string& message) {
  return !message.empty() && message.back() == '\r' && message.find('\n') == std::string::npos;
}

std::string ProgressThrottle::Take(const std::string& message, Clock::time_point now) {
  if (!console_) return message;
  if (!IsProgressLine(message)) return Finish() + message;
  if (shownAny_ && now - lastShown_ < interval_) {
    held_ = message;
    return "";
  }
  shownAny_ = true;
  lastShown_ = now;
  held_.clear();
  return message;
}

std::string ProgressThrottle::Finish() {
  std::string held;
  held.swap(held_);
  return held;
}
