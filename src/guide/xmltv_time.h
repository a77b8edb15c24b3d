#pragma once
// Times as XMLTV writes them: "YYYYMMDDhhmmss +hhmm", less significant parts may be left out
// ("YYYYMMDDhhmm", "YYYYMMDDhh", "YYYYMMDD", "YYYYMM", "YYYY"); no offset means UTC.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vistrel {

// Seconds since 1970-01-01 00:00 UTC of the civil date and time (proleptic Gregorian, no
// validation: callers check the parts).
int64_t UtcSecondsFromCivil(int year, int month, int day, int hour, int minute, int second);

// The time as UTC seconds. Blanks around it and between the time and the offset are allowed.
// Nothing for anything else: a wrong number of digits, a month, day, hour, minute or second out
// of range, an offset that is not "+hhmm"/"-hhmm" within ±23:59, trailing text.
std::optional<int64_t> ParseXmltvTime(std::string_view text);

// UTC seconds as XMLTV writes them, "YYYYMMDDhhmmss +0000"; ParseXmltvTime reads it back.
// Never fails.
std::string FormatXmltvTime(int64_t utc_seconds);

}  // namespace vistrel
