#pragma once
// Version stamps of the catalogue: 12 digits yyyymmddhhmm, UTC, the time of the last change.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace vistrel {

using StampTime = std::chrono::sys_time<std::chrono::minutes>;

// yyyymmddhhmm of the minute.
std::string FormatVersionStamp(StampTime time);

// The first 12 characters as a stamp; nothing when they are not digits of a valid date and
// time (years 1 to 9999).
std::optional<StampTime> ParseVersionStamp(std::string_view text);

// The stamp of a new package whose last change was at `now`. It never goes back behind
// `current`, and it is always later than `published`, the newest stamp handed out in a
// package: a client holding that package would otherwise be told its changed list is up to
// date. The service builds a new package only once the clock has passed `published`, so the
// stamp is never ahead of the clock.
StampTime NextVersionStamp(StampTime now, std::optional<StampTime> current,
                           std::optional<StampTime> published);

// The current minute.
StampTime CurrentMinute();

}  // namespace vistrel
