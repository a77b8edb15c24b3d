#include "server/live_pace.h"

#include <algorithm>
#include <cmath>

namespace vistrel {

namespace {

constexpr double kStepSeconds = 0.05;

}  // namespace

LivePace::LivePace(double bytes_per_second, Clock::time_point start)
    : rate_(bytes_per_second > 0 ? bytes_per_second : 1.0), start_(start) {}

uint64_t LivePace::AllowedBy(Clock::time_point now) const {
  if (now <= start_) return 0;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  return static_cast<uint64_t>(std::floor(seconds * rate_));
}

LivePace::Clock::time_point LivePace::NextStepAt(uint64_t sent) const {
  const double step = std::max(1.0, std::floor(rate_ * kStepSeconds));
  const double seconds = (static_cast<double>(sent) + step) / rate_;
  // Rounded up: woken a moment early, the stream would find nothing to send yet.
  return start_ + std::chrono::ceil<Clock::duration>(std::chrono::duration<double>(seconds));
}

}  // namespace vistrel
