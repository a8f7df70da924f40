// Progress lines on a console come about ten a second and the last one
// always shows; anywhere else every line is kept as it was.
#include <gtest/gtest.h>

#include "converter/console/progress_throttle.h"

namespace {

using namespace std::chrono_literals;
using Clock = ProgressThrottle::Clock;

TEST(ProgressThrottle, OnAConsoleHoldsLinesBackForATenthOfASecondAndKeepsTheLast) {
  ProgressThrottle throttle(true);
  const Clock::time_point t0{};
  std::string shown = throttle.Take("encoding.... \n", t0);
  shown += throttle.Take("1\r", t0 + 1ms);
  shown += throttle.Take("2\r", t0 + 50ms);  // held
  shown += throttle.Take("3\r", t0 + 99ms);  // held, replaces 2
  shown += throttle.Take("4\r", t0 + 101ms);
  shown += throttle.Take("5\r", t0 + 120ms);        // held
  shown += throttle.Take("\n", t0 + 121ms);          // the held line goes first
  shown += throttle.Take("6\r", t0 + 122ms);         // held: too soon after 4
  EXPECT_EQ(shown, "encoding.... \n1\r4\r5\r\n");
  EXPECT_EQ(throttle.Finish(), "6\r");
  EXPECT_EQ(throttle.Finish(), "");
  EXPECT_FALSE(ProgressThrottle::IsProgressLine("a\r\n"));
}

TEST(ProgressThrottle, IntoAFileOrAPipeEveryLineIsKept) {
  ProgressThrottle throttle(false);
  const Clock::time_point t0{};
  std::string shown;
  for (int i = 0; i < 50; ++i) shown += throttle.Take(std::to_string(i) + "\r", t0);
  std::string expected;
  for (int i = 0; i < 50; ++i) expected += std::to_string(i) + "\r";
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(throttle.Finish(), "");
}

}  // namespace
