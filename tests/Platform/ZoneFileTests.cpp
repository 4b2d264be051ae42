// Tests of reading compiled zone files: offsets as glibc reads them, and damaged files refused.
#include "ZoneFile.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <optional>
#include <random>
#include <string>

#include "TestFiles.h"
#include "TimeZone.h"

namespace velto::platform {
namespace {

using testing_support::readFile;

// The offset glibc's localtime_r gives at `instant` in the zone `name`, read from the same file.
long glibcOffset(const std::string& name, time_t instant) {
  ::setenv("TZ", (':' + name).c_str(), 1);
  ::tzset();
  struct tm local {};
  ::localtime_r(&instant, &local);
  return local.tm_gmtoff;
}

TEST(ZoneFile, OffsetsAreGlibcsWithinTheListedTransitions) {
  const char* saved = std::getenv("TZ");
  const std::optional<std::string> previous = saved ? std::optional<std::string>(saved) : std::nullopt;
  std::mt19937_64 random(8536);
  // 1901 to 2038: the years both read from the file's transitions (glibc applies the file's closing rule after
  // the last transition, 2037 in these zones, where the file's last offset holds for us).
  std::uniform_int_distribution<std::int64_t> instants(INT32_MIN, INT32_MAX);
  for (const char* name : {"Europe/Berlin", "America/Sao_Paulo", "Pacific/Apia", "Asia/Kathmandu",
                           "Australia/Lord_Howe", "America/Sitka", "Africa/Casablanca"}) {
    const auto zone = TimeZone::named(name);
    if (!zone) continue;
    for (int i = 0; i < 2000; ++i) {
      const auto instant = instants(random);
      ASSERT_EQ(zone->offsetAt(static_cast<double>(instant)), glibcOffset(name, instant)) << name << ' ' << instant;
    }
  }
  previous ? ::setenv("TZ", previous->c_str(), 1) : ::unsetenv("TZ");
  ::tzset();
}

// Names become paths below /usr/share/zoneinfo only when they name a zone there.
TEST(ZoneFile, TimeZoneReadsOnlyZoneFiles) {
  if (!TimeZone::named("Europe/Berlin")) GTEST_SKIP() << "the system's time-zone database has no zone Europe/Berlin";
  for (const char* name : {"Europe/./Berlin", "Europe//Berlin", "Europe/Berlin/", "./Europe/Berlin", "Factory",
                           "posixrules", "right/Europe/Berlin", "posix/Europe/Berlin", "Europe/Berlin\n",
                           "Europe/../Europe/Berlin", "/Europe/Berlin"}) {
    EXPECT_EQ(TimeZone::named(name), std::nullopt) << name;
  }
}

TEST(ZoneFile, DamagedFilesAreRefused) {
  const auto berlin = readFile("/usr/share/zoneinfo/Europe/Berlin");
  if (berlin.empty()) GTEST_SKIP() << "the system's time-zone database has no zone Europe/Berlin";
  ASSERT_TRUE(ZoneFile::parse(berlin));
  // Every cut before the footer (the closing rule, which is not read) loses part of a block.
  const auto footer = berlin.rfind('\n', berlin.size() - 2);
  for (std::size_t size = 0; size < footer; ++size) {
    ASSERT_EQ(ZoneFile::parse(berlin.substr(0, size)), std::nullopt) << size;
  }
  const auto changed = [&](std::size_t at, char byte) { return berlin.substr(0, at) + byte + berlin.substr(at + 1); };
  const auto secondHeader = berlin.find("TZif", 4);
  const auto count = [&](std::size_t at) {  // a big-endian count of the 64-bit block's header
    std::size_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(berlin[secondHeader + at + i]);
    return value;
  };
  const auto firstType = secondHeader + 44 + 8 * count(32);
  const std::string damaged[] = {
      changed(0, 'X'),                    // not a TZif file
      changed(4, '1'),                    // version 1 has no 64-bit block
      changed(secondHeader + 1, 'X'),     // the 64-bit block's own header is damaged
      changed(secondHeader + 44, '\x7F'),  // the first transition moves after the second
      changed(firstType, static_cast<char>(count(36))),  // a transition to a time type the file does not have
  };
  for (const auto& bytes : damaged) EXPECT_EQ(ZoneFile::parse(bytes), std::nullopt);
}

}  // namespace
}  // namespace velto::platform
