#include "converter/context/context.h"

#include <cstdarg>
#include <cstdio>

EncoderHelper* ConversionContext::SplitStereoHelper() {
  if (!splitHelperTried) {
    splitHelperTried = true;
    splitHelper = EncoderHelper::Start();
  }
  return splitHelper.get();
}

void ConversionContext::Put(std::string text) {
  if (text.empty()) return;
  if (echo) echo(text);
  messages.push_back(std::move(text));
}

void ConversionContext::Print(const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length < 0) return;
  if (static_cast<size_t>(length) < sizeof buffer) {
    Put(std::string(buffer, static_cast<size_t>(length)));
    return;
  }
  std::string text(static_cast<size_t>(length) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(text.data(), text.size(), format, args);
  va_end(args);
  text.resize(static_cast<size_t>(length));
  Put(std::move(text));
}

void PrintDecodeEvents(ConversionContext& ctx, DecodeEvents& events) {
  std::string marks;
  for (DecodeEvent event : events.list) {
    if (event == DecodeEvent::kCorruptFrame) {
      ctx.Put(std::move(marks));
      marks.clear();
      ctx.Put("corrupt sound file\n");
    } else {
      marks += event == DecodeEvent::kClippedHigh ? 'o' : 'u';
    }
  }
  ctx.Put(std::move(marks));
  events.list.clear();
}
