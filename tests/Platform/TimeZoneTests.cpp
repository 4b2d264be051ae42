// Tests of local days under the system's zone rules: gaps and repeats at midnight, offsets, the user's zone.
#include "TimeZone.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>

#include "FakeEnvironment.h"
#include "TemporaryFolder.h"
#include "UtcTime.h"
#include "ZoneOrSkip.h"

namespace velto::platform {
namespace {

using testing_support::fakeEnvironment;
using testing_support::TemporaryFolder;
using testing_support::utc;

TEST(TimeZone, TheNextDayStartsAtTheNextLocalMidnightOrTheEndOfItsGap) {
  const struct {
    const char* zone;
    double instant;
    double expected;
  } cases[] = {
      // Midnight did not exist: Toronto's 1919 gap ran from 23:30 to 00:30, and the day starts at its end, not
      // at the hour after 00:00 (where gaps that begin at midnight, as Sao Paulo's or Samoa's, would put it too).
      {"America/Toronto", utc(1919, 3, 30, 17), utc(1919, 3, 31, 4, 30)},
      {"Europe/Berlin", utc(2024, 3, 30, 23), utc(2024, 3, 31, 22)},  // at local midnight
      // Cuba ends daylight saving time at 01:00 back to 00:00, so midnight happens twice: the first counts.
      {"America/Havana", utc(2023, 11, 4, 16), utc(2023, 11, 5, 4)},
      // Sitka turned its clocks back a whole day in 1867: in the repeated 18 October, the day ends at the
      // second midnight, not the first, which is already past.
      {"America/Sitka", utc(1867, 10, 19, 1), utc(1867, 10, 19, 9, 1, 13)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.zone);
    ZONE_OR_SKIP(zone, c.zone);
    EXPECT_EQ(zone->startOfNextDay(c.instant), c.expected);
  }
}

// An offset holds from its transition's whole second on; an instant outside the calendar has no next day.
TEST(TimeZone, OffsetsAndInstantsOutsideTheCalendar) {
  ZONE_OR_SKIP(zone, "Europe/Berlin");
  EXPECT_EQ(zone->offsetAt(utc(2024, 3, 31, 0, 59, 59) + 0.5), 3600);
  EXPECT_EQ(zone->offsetAt(utc(2024, 3, 31, 1)), 7200);
  EXPECT_EQ(zone->offsetAt(std::nan("")), 3600);
  for (const double instant : {std::nan(""), utc(10000, 1, 1), utc(0, 12, 31, 23, 59, 59)}) {
    EXPECT_EQ(zone->startOfNextDay(instant), std::nullopt) << instant;
  }
  EXPECT_EQ(zone->startOfNextDay(utc(9999, 12, 31, 12)), utc(9999, 12, 31, 23));
}

// The plain rules utc() stands on, not the database's copy: they must keep days exactly as UTC does.
TEST(TimeZone, UtcNeedsNoDatabase) {
  const TimeZone zone = TimeZone::utc();
  // The last fraction of a day, and a fraction before 1970, belong to the day they began in.
  EXPECT_EQ(zone.startOfNextDay(utc(2024, 5, 10, 23, 59, 59) + 0.999), utc(2024, 5, 11));
  EXPECT_EQ(zone.startOfNextDay(-0.5), 0.0);
}

// Names become paths below /usr/share/zoneinfo only when they name a zone there: no file, a file or folder that
// is no zone, and a name that would read another zone's file by another path are all refused.
TEST(TimeZone, NamedOnlyFindsZonesOfTheDatabase) {
  ZONE_OR_SKIP(berlin, "Europe/Berlin");
  EXPECT_EQ(berlin->name(), "Europe/Berlin");
  for (const char* name : {"Europe/Nowhere", "zone.tab", "Europe", "Europe/./Berlin", "Europe//Berlin",
                           "Europe/../Europe/Berlin", "/Europe/Berlin", "Europe/Berlin\n", "Factory", "posixrules",
                           "right/Europe/Berlin", "posix/Europe/Berlin"}) {
    EXPECT_EQ(TimeZone::named(name), std::nullopt) << '"' << name << '"';
  }
}

TEST(TimeZone, CurrentTriesTzThenTheLocaltimeLinkThenTheTimezoneFileThenUtc) {
  const std::optional<std::string> berlin = "/usr/share/zoneinfo/Europe/Berlin";
  const struct {
    std::optional<std::string> tz;
    std::optional<std::string> localtimeTarget;  // where /etc/localtime points
    std::optional<std::string> timezoneFile;     // what /etc/timezone holds
    const char* expected;
  } cases[] = {
      {"Asia/Tokyo", berlin, std::nullopt, "Asia/Tokyo"},
      {":/usr/share/zoneinfo/Asia/Tokyo", berlin, std::nullopt, "Asia/Tokyo"},
      {"/usr/share/zoneinfo/posix/Asia/Tokyo", berlin, std::nullopt, "Asia/Tokyo"},
      {"/etc/passwd", berlin, std::nullopt, "Europe/Berlin"},
      {std::nullopt, "../usr/share/zoneinfo/America/Havana", "Asia/Kolkata\n", "America/Havana"},
      {std::nullopt, "/etc/hostname", " Asia/Kolkata \n", "Asia/Kolkata"},
      {"Mars/Olympus", "/usr/share/zoneinfo/Mars/Olympus", "Mars/Olympus\n", "UTC"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tz.value_or("unset") + ", " + c.localtimeTarget.value_or("no link"));
    ZONE_OR_SKIP(expected, c.expected);
    const TemporaryFolder etc;
    const auto link = etc.path() / "localtime";
    if (c.localtimeTarget) std::filesystem::create_symlink(*c.localtimeTarget, link);
    const auto file = c.timezoneFile ? etc.write("timezone", *c.timezoneFile) : etc.path() / "timezone";
    const auto environment = c.tz ? fakeEnvironment({{"TZ", *c.tz}}) : fakeEnvironment({});
    EXPECT_EQ(TimeZone::current(environment, link, file).name(), c.expected);
  }
}

// The process environment's TZ reaches current(). No other test here reads the process's TZ.
TEST(TimeZone, CurrentReadsTzFromTheProcess) {
  ZONE_OR_SKIP(kolkata, "Asia/Kolkata");
  ::setenv("TZ", ":Asia/Kolkata", 1);
  EXPECT_EQ(TimeZone::current().name(), "Asia/Kolkata");
  ::unsetenv("TZ");
}

}  // namespace
}  // namespace velto::platform
