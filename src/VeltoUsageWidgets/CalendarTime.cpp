// CalendarTime: the Gregorian and Julian day arithmetic behind the widget's dates.
#include "CalendarTime.h"

#include <algorithm>
#include <cmath>

namespace velto {
namespace {

constexpr double millisPerDay = 86'400'000;
// ICU's calendar pins times to Julian days ±0x7F000000, days counted from the Julian day of 1970-01-01.
constexpr std::int64_t epochJulianDay = 2'440'588;
constexpr std::int64_t julianDayLimit = 0x7F00'0000;
constexpr double maxMillis = static_cast<double>(julianDayLimit - epochJulianDay) * millisPerDay;
constexpr double minMillis = static_cast<double>(-julianDayLimit - epochJulianDay) * millisPerDay;
// The Julian day of 15 October 1582, the first Gregorian day.
constexpr std::int64_t gregorianCutoverJulianDay = 2'299'161;

std::int64_t floorDivide(std::int64_t numerator, std::int64_t denominator) {
  const auto quotient = numerator / denominator;
  return quotient * denominator > numerator ? quotient - 1 : quotient;
}

struct CivilDate {
  std::int64_t year;  // astronomical: 0 is 1 BC
  int month;
  int day;
};

// Richards' conversion of a Julian day number to a calendar date, with floored divisions so that it holds for
// days before the epoch of either calendar as well.
CivilDate civilDate(std::int64_t julianDay) {
  const bool gregorian = julianDay >= gregorianCutoverJulianDay;
  std::int64_t centuries = 0;
  std::int64_t c = julianDay + 32'082;
  if (gregorian) {
    const std::int64_t a = julianDay + 32'044;
    centuries = floorDivide(4 * a + 3, 146'097);
    c = a - floorDivide(146'097 * centuries, 4);
  }
  const std::int64_t d = floorDivide(4 * c + 3, 1461);
  const std::int64_t e = c - floorDivide(1461 * d, 4);
  const std::int64_t m = floorDivide(5 * e + 2, 153);
  const std::int64_t year = 100 * centuries + d - 4800 + m / 10;
  return {year, static_cast<int>(m + 3 - 12 * (m / 10)), static_cast<int>(e - floorDivide(153 * m + 2, 5) + 1)};
}

}  // namespace

CalendarTime CalendarTime::at(double localSeconds) {
  // The same double arithmetic as ICU's calendar, so that fractions and the ends of the range fall alike.
  const double millis = std::clamp(localSeconds * 1000.0, minMillis, maxMillis);
  const double days = std::floor(millis / millisPerDay);
  const auto millisInDay = static_cast<std::int32_t>(millis - days * millisPerDay);
  const auto date = civilDate(static_cast<std::int64_t>(days) + epochJulianDay);
  return {date.year > 0 ? date.year : 1 - date.year, date.month, date.day, millisInDay / 3'600'000,
          millisInDay / 60'000 % 60};
}

}  // namespace velto
