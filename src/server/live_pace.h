#pragma once
// How much of an endless stream may have gone out by a given time: a steady rate counted from
// the stream's start, so that a late send catches up instead of slowing the stream down.

#include <chrono>
#include <cstdint>

namespace vistrel {

class LivePace {
 public:
  using Clock = std::chrono::steady_clock;

  // `bytes_per_second` above 0; a rate of 0 or less is taken as one byte a second.
  LivePace(double bytes_per_second, Clock::time_point start);

  // Bytes the stream may have sent in all by `now`; 0 before the start. Never fails.
  uint64_t AllowedBy(Clock::time_point now) const;
  // When, after `sent` bytes, the next step becomes allowed: a step is about a twentieth of a
  // second's worth, at least one byte, so a fast stream is not woken for every byte.
  Clock::time_point NextStepAt(uint64_t sent) const;

 private:
  double rate_;
  Clock::time_point start_;
};

}  // namespace vistrel
