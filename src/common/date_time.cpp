#include "common/date_time.h"

#include <chrono>
#include <ctime>

namespace vistrel {

double DateTimeFromCivil(int year, int month, int day, int hour, int minute, int second) {
  using namespace std::chrono;
  const sys_days date = std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                        std::chrono::day{static_cast<unsigned>(day)};
  const auto days = (date - sys_days{std::chrono::year{1899} / December / 30}).count();
  const double time = (hour * 3600 + minute * 60 + second) / 86400.0;
  // Before 30 December 1899 the whole days count backwards and the fraction is still the time
  // of day, as the stored dates have it.
  return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

double LocalNowDateTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return DateTimeFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                           local.tm_min, local.tm_sec);
}

}  // namespace vistrel
