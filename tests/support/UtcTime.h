// UtcTime: instants of UTC dates and times, written as a calendar reads them, for tests of zones and formats.
#pragma once

#include <time.h>

namespace velto::testing_support {

/// Seconds since 1970 of a UTC date and time in the proleptic Gregorian calendar (glibc's timegm keeps years
/// before 1900 and after 9999 too).
inline double utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  tm fields{second, minute, hour, day, month - 1, year - 1900, 0, 0, 0, 0, nullptr};
  return static_cast<double>(::timegm(&fields));
}

}  // namespace velto::testing_support
