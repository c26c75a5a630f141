#include "RenderQueues.h"

int32_t MillisecondsUntil(const Deadline* deadline, const Deadline& now) {
  if (!deadline) return kNoDeadlineMs;
  int64_t seconds = static_cast<int64_t>(deadline->seconds) - now.seconds;
  int64_t micro = static_cast<int64_t>(deadline->microseconds) - now.microseconds;
  if (micro < 0) {
    seconds -= 1;
    micro += 1000000;
  }
  const int64_t ms = seconds * 1000 + micro / 1000;
  if (ms <= 0) return 0;
  return ms > kNoDeadlineMs ? kNoDeadlineMs : static_cast<int32_t>(ms);
}

Deadline MonotonicNow() {
  const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
  return Deadline{static_cast<int32_t>(us / 1000000), static_cast<int32_t>(us % 1000000)};
}

Deadline DeadlineAfter(int32_t ms) {
  Deadline d = MonotonicNow();
  int64_t micro = static_cast<int64_t>(d.microseconds) + static_cast<int64_t>(ms % 1000) * 1000;
  int64_t seconds = static_cast<int64_t>(d.seconds) + ms / 1000 + micro / 1000000;
  micro %= 1000000;
  if (micro < 0) {  // a negative time: borrow a second
    micro += 1000000;
    seconds -= 1;
  }
  d.microseconds = static_cast<int32_t>(micro);
  d.seconds = static_cast<int32_t>(seconds);
  return d;
}
