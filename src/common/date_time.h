#pragma once
// Dates as the catalogue keeps them: days since 30 December 1899, the fraction being the time
// of day.

namespace vistrel {

// The date and time given in calendar parts (no validation: callers check the parts). Before
// 30 December 1899 whole days count backwards and the fraction still holds the time of day.
double DateTimeFromCivil(int year, int month, int day, int hour, int minute, int second = 0);

// The current local date and time.
double LocalNowDateTime();

}  // namespace vistrel
