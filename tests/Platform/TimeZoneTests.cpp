// Tests of local days under the system's zone rules: gaps and repeats at midnight, rule changes, offsets.
#include "TimeZone.h"

#include <gtest/gtest.h>

#include "ZoneOrSkip.h"
#include <stdlib.h>

#include <cmath>
#include <limits>
#include <map>
#include <ostream>

#include "TemporaryFolder.h"

namespace velto::platform {
namespace {

using testing_support::TemporaryFolder;

// Seconds since 1970 of a UTC date and time in the proleptic Gregorian calendar.
double utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const long long days = era * 146097LL + dayOfEra - 719468;
  return static_cast<double>(days * 86400 + hour * 3600 + minute * 60 + second);
}

struct NextDayCase {
  const char* name;
  const char* zone;
  double instant;
  double expected;
};
void PrintTo(const NextDayCase& row, std::ostream* out) { *out << row.name; }

class StartOfNextDay : public ::testing::TestWithParam<NextDayCase> {};

TEST_P(StartOfNextDay, IsTheNextLocalMidnightOrTheEndOfItsGap) {
  const auto& row = GetParam();
  ZONE_OR_SKIP(zone, row.zone);
  EXPECT_EQ(zone->startOfNextDay(row.instant), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    TimeZone, StartOfNextDay,
    ::testing::Values(
        NextDayCase{"Utc", "UTC", utc(2024, 5, 10, 12), utc(2024, 5, 11)},
        NextDayCase{"UtcLastFractionOfADay", "UTC", utc(2024, 5, 10, 23, 59, 59) + 0.999, utc(2024, 5, 11)},
        NextDayCase{"NegativeFractionBelongsToTheDayBefore", "UTC", -0.5, 0.0},
        NextDayCase{"NewYorkSummerBefore1970", "America/New_York", utc(1969, 7, 4, 12), utc(1969, 7, 5, 4)},
        // Midnight of 2018-11-04 did not exist: the clocks went from 23:59:59 -03 to 01:00 -02.
        NextDayCase{"SaoPauloGapAtMidnight", "America/Sao_Paulo", utc(2018, 11, 3, 15), utc(2018, 11, 4, 3)},
        // Toronto's 1919 gap ran from 23:30 to 00:30: the day starts at its end, not at an hour after 00:00.
        NextDayCase{"TorontoGapAcrossMidnight", "America/Toronto", utc(1919, 3, 30, 17), utc(1919, 3, 31, 4, 30)},
        // Samoa skipped 2011-12-30 entirely; the first instant after it is 2011-12-31 00:00 +14.
        NextDayCase{"ApiaSkippedDay", "Pacific/Apia", utc(2011, 12, 29, 12), utc(2011, 12, 30, 10)},
        NextDayCase{"BerlinEveOfSpringForward", "Europe/Berlin", utc(2024, 3, 30, 12), utc(2024, 3, 30, 23)},
        NextDayCase{"BerlinAtLocalMidnight", "Europe/Berlin", utc(2024, 3, 30, 23), utc(2024, 3, 31, 22)},
        // No daylight saving time since the 2022 rule change: still -06 in July.
        NextDayCase{"MexicoCityAfterRuleChange", "America/Mexico_City", utc(2024, 7, 3, 18), utc(2024, 7, 4, 6)},
        // Cuba ends daylight saving time at 01:00 back to 00:00, so midnight happens twice: the first counts.
        NextDayCase{"HavanaMidnightTwice", "America/Havana", utc(2023, 11, 4, 16), utc(2023, 11, 5, 4)},
        // Sitka turned its clocks back a whole day in 1867: in the repeated 18 October, the day ends at the
        // second midnight, not the first, which is already past.
        NextDayCase{"SitkaRepeatedDay", "America/Sitka", utc(1867, 10, 19, 1), utc(1867, 10, 19, 9, 1, 13)},
        NextDayCase{"KolkataHalfHourOffset", "Asia/Kolkata", utc(2024, 1, 1, 20), utc(2024, 1, 2, 18, 30)}));

TEST(TimeZone, InstantsOutsideTheCalendarHaveNoNextDay) {
  ZONE_OR_SKIP(zone, "Europe/Berlin");
  constexpr double infinity = std::numeric_limits<double>::infinity();
  for (const double instant : {std::nan(""), infinity, -infinity, 1e300, -1e300, utc(10000, 1, 1),
                               utc(0, 12, 31, 23, 59, 59)}) {
    EXPECT_EQ(zone->startOfNextDay(instant), std::nullopt) << instant;
  }
  EXPECT_EQ(zone->startOfNextDay(utc(9999, 12, 31, 12)), utc(9999, 12, 31, 23));
}

// The plain rules utc() stands on, not the database's copy: they must keep days exactly as UTC does.
TEST(TimeZone, UtcNeedsNoDatabase) {
  const TimeZone zone = TimeZone::utc();
  EXPECT_EQ(zone.name(), "UTC");
  EXPECT_EQ(zone.offsetAt(utc(2024, 7, 1)), 0);
  EXPECT_EQ(zone.startOfNextDay(utc(2024, 5, 10, 12)), utc(2024, 5, 11));
  EXPECT_EQ(zone.startOfNextDay(utc(2024, 5, 10)), utc(2024, 5, 11));
  EXPECT_EQ(zone.startOfNextDay(-0.5), 0.0);
  EXPECT_EQ(zone.startOfNextDay(std::nan("")), std::nullopt);
}

TEST(TimeZone, OffsetAt) {
  ZONE_OR_SKIP(berlin, "Europe/Berlin");
  ZONE_OR_SKIP(kolkata, "Asia/Kolkata");
  EXPECT_EQ(berlin->offsetAt(utc(2024, 3, 31, 0, 59, 59) + 0.5), 3600);
  EXPECT_EQ(berlin->offsetAt(utc(2024, 3, 31, 1)), 7200);
  EXPECT_EQ(berlin->offsetAt(std::nan("")), 3600);
  EXPECT_EQ(kolkata->offsetAt(utc(2024, 1, 1)), 19800);
}

TEST(TimeZone, NamedOnlyFindsZonesOfTheDatabase) {
  ZONE_OR_SKIP(berlin, "Europe/Berlin");
  EXPECT_EQ(berlin->name(), "Europe/Berlin");
  for (const char* name : {"", "Europe/Nowhere", "europe/berlin", "zone.tab", "posix", "Europe",
                           "/usr/share/zoneinfo/Europe/Berlin", "../zoneinfo/Europe/Berlin", "Europe/Berlin "}) {
    EXPECT_EQ(TimeZone::named(name), std::nullopt) << '"' << name << '"';
  }
}

struct CurrentCase {
  const char* name;
  std::optional<std::string> tz;
  std::optional<std::string> localtimeTarget;  // where /etc/localtime points
  std::optional<std::string> timezoneFile;     // what /etc/timezone holds
  const char* expected;
};
void PrintTo(const CurrentCase& row, std::ostream* out) { *out << row.name; }

class CurrentZone : public ::testing::TestWithParam<CurrentCase> {};

TEST_P(CurrentZone, TzThenLocaltimeThenTimezoneFileThenUtc) {
  const auto& row = GetParam();
  ZONE_OR_SKIP(expected, row.expected);
  const TemporaryFolder etc;
  const auto link = etc.path() / "localtime";
  if (row.localtimeTarget) std::filesystem::create_symlink(*row.localtimeTarget, link);
  const auto file = row.timezoneFile ? etc.write("timezone", *row.timezoneFile) : etc.path() / "timezone";
  const auto environment = [&row](const char* name) -> std::optional<std::string> {
    return std::string_view(name) == "TZ" ? row.tz : std::nullopt;
  };
  EXPECT_EQ(TimeZone::current(environment, link, file).name(), row.expected);
}

const std::optional<std::string> berlinLink = "/usr/share/zoneinfo/Europe/Berlin";

INSTANTIATE_TEST_SUITE_P(
    TimeZone, CurrentZone,
    ::testing::Values(
        CurrentCase{"TzName", "Asia/Tokyo", berlinLink, std::nullopt, "Asia/Tokyo"},
        CurrentCase{"TzPath", ":/usr/share/zoneinfo/Asia/Tokyo", berlinLink, std::nullopt, "Asia/Tokyo"},
        CurrentCase{"TzPosixCopy", "/usr/share/zoneinfo/posix/Asia/Tokyo", berlinLink, std::nullopt, "Asia/Tokyo"},
        CurrentCase{"TzPathOutsideDatabase", "/etc/passwd", berlinLink, std::nullopt, "Europe/Berlin"},
        CurrentCase{"TzPathClimbingOut", "/usr/share/zoneinfo/../../../etc/passwd", berlinLink, std::nullopt,
                    "Europe/Berlin"},
        CurrentCase{"TzPosixRule", "CET-1CEST,M3.5.0,M10.5.0/3", berlinLink, std::nullopt, "Europe/Berlin"},
        CurrentCase{"TzEmpty", "", berlinLink, std::nullopt, "Europe/Berlin"},
        CurrentCase{"RelativeLink", std::nullopt, "../usr/share/zoneinfo/America/Havana", "Asia/Kolkata\n",
                    "America/Havana"},
        CurrentCase{"LinkOutsideDatabaseThenFile", std::nullopt, "/etc/hostname", " Asia/Kolkata \n", "Asia/Kolkata"},
        CurrentCase{"OnlyFile", std::nullopt, std::nullopt, "Asia/Kolkata\nignored\n", "Asia/Kolkata"},
        CurrentCase{"UnknownEverywhere", "Mars/Olympus", "/usr/share/zoneinfo/Mars/Olympus", "Mars/Olympus\n",
                    "UTC"},
        CurrentCase{"Nothing", std::nullopt, std::nullopt, std::nullopt, "UTC"}));

// The process environment's TZ reaches current().
TEST(TimeZone, CurrentReadsTzFromTheProcess) {
  ZONE_OR_SKIP(kolkata, "Asia/Kolkata");
  const char* saved = std::getenv("TZ");
  const std::optional<std::string> previous = saved ? std::optional<std::string>(saved) : std::nullopt;
  ::setenv("TZ", ":Asia/Kolkata", 1);
  const auto name = TimeZone::current().name();
  if (previous) {
    ::setenv("TZ", previous->c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  EXPECT_EQ(name, "Asia/Kolkata");
}

}  // namespace
}  // namespace velto::platform
