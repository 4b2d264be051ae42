// UtcTime: instants of UTC dates and times, written as a calendar reads them, for tests of zones and formats.
#pragma once

namespace velto::testing_support {

/// Seconds since 1970 of a UTC date and time in the proleptic Gregorian calendar.
inline double utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const long long days = era * 146097LL + dayOfEra - 719468;
  return static_cast<double>(days * 86400 + hour * 3600 + minute * 60 + second);
}

}  // namespace velto::testing_support
