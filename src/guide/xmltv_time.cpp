#include "guide/xmltv_time.h"

#include <ctime>

namespace vistrel {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int Number(std::string_view digits) {
  int value = 0;
  for (const char c : digits) value = value * 10 + (c - '0');
  return value;
}

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

int64_t UtcSecondsFromCivil(int year, int month, int day, int hour, int minute, int second) {
  // Days from civil: counts from 1 March so the leap day ends the year.
  const int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t year_of_era = y - era * 400;
  const int64_t day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  const int64_t days = era * 146097 + day_of_era - 719468;
  return days * 86400 + hour * 3600 + minute * 60 + second;
}

std::optional<int64_t> ParseXmltvTime(std::string_view text) {
  text = Trim(text);
  std::size_t digits = 0;
  while (digits < text.size() && IsDigit(text[digits])) ++digits;
  if (digits < 4 || digits > 14 || digits % 2 != 0) return std::nullopt;
  const std::string_view stamp = text.substr(0, digits);
  const auto part = [&](std::size_t at, int absent) {
    return at + 2 <= stamp.size() ? Number(stamp.substr(at, 2)) : absent;
  };
  const int year = Number(stamp.substr(0, 4));
  const int month = part(4, 1), day = part(6, 1), hour = part(8, 0), minute = part(10, 0),
            second = part(12, 0);
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
  if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
  int64_t seconds = UtcSecondsFromCivil(year, month, day, hour, minute, second);

  const std::string_view zone = Trim(text.substr(digits));
  if (!zone.empty()) {
    if (zone.size() != 5 || (zone[0] != '+' && zone[0] != '-')) return std::nullopt;
    for (std::size_t i = 1; i < 5; ++i) {
      if (!IsDigit(zone[i])) return std::nullopt;
    }
    const int offset_hours = Number(zone.substr(1, 2)), offset_minutes = Number(zone.substr(3, 2));
    if (offset_hours > 23 || offset_minutes > 59) return std::nullopt;
    const int64_t offset = offset_hours * 3600 + offset_minutes * 60;
    // Local time minus its offset east of UTC is UTC.
    seconds += zone[0] == '+' ? -offset : offset;
  }
  return seconds;
}

std::string FormatXmltvTime(int64_t utc_seconds) {
  const std::time_t time = static_cast<std::time_t>(utc_seconds);
  std::tm parts{};
  gmtime_r(&time, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d%H%M%S +0000", &parts);
  return text;
}

}  // namespace vistrel
