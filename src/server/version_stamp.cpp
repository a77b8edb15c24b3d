#include "server/version_stamp.h"

#include <algorithm>
#include <cstdio>

namespace vistrel {

using namespace std::chrono;

std::string FormatVersionStamp(StampTime time) {
  const sys_days day = floor<days>(time);
  const year_month_day ymd{day};
  const hh_mm_ss<minutes> clock{time - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02u%02u%02d%02d", static_cast<int>(ymd.year()),
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()));
  return text;
}

std::optional<StampTime> ParseVersionStamp(std::string_view text) {
  if (text.size() < 12) return std::nullopt;
  int digits[12];
  for (int i = 0; i < 12; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    digits[i] = text[i] - '0';
  }
  auto number = [&](int from, int count) {
    int value = 0;
    for (int i = from; i < from + count; ++i) value = value * 10 + digits[i];
    return value;
  };
  const year_month_day ymd{year{number(0, 4)}, month{static_cast<unsigned>(number(4, 2))},
                           day{static_cast<unsigned>(number(6, 2))}};
  const int hour = number(8, 2);
  const int minute = number(10, 2);
  if (number(0, 4) < 1 || !ymd.ok() || hour > 23 || minute > 59) return std::nullopt;
  return StampTime{sys_days{ymd}} + hours{hour} + minutes{minute};
}

StampTime NextVersionStamp(StampTime now, std::optional<StampTime> current,
                           std::optional<StampTime> published) {
  StampTime stamp = current ? std::max(now, *current) : now;
  if (published && stamp <= *published) stamp = *published + minutes{1};
  return stamp;
}

StampTime CurrentMinute() {
  return floor<minutes>(system_clock::now());
}

}  // namespace vistrel
