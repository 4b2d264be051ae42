// Tests of reading compiled zone files: offsets as glibc reads them, and damaged files refused.
#include "ZoneFile.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <random>
#include <string>

#include "TestFiles.h"
#include "TimeZone.h"

namespace velto::platform {
namespace {

using testing_support::readFile;

TEST(ZoneFile, OffsetsAreGlibcsWithinTheListedTransitions) {
  std::mt19937_64 random(8536);
  // 1901 to 2038: the years both read from the file's transitions (glibc applies the file's closing rule after
  // the last transition, 2037 in these zones, where the file's last offset holds for us).
  std::uniform_int_distribution<std::int64_t> instants(INT32_MIN, INT32_MAX);
  for (const char* name : {"Europe/Berlin", "America/Sao_Paulo", "Pacific/Apia", "Asia/Kathmandu",
                           "Australia/Lord_Howe", "America/Sitka", "Africa/Casablanca"}) {
    const auto zone = TimeZone::named(name);
    if (!zone) continue;
    // glibc reads the same file when TZ names it.
    ::setenv("TZ", (std::string(":") + name).c_str(), 1);
    ::tzset();
    for (int i = 0; i < 2000; ++i) {
      const time_t instant = instants(random);
      struct tm local {};
      ::localtime_r(&instant, &local);
      ASSERT_EQ(zone->offsetAt(static_cast<double>(instant)), local.tm_gmtoff) << name << ' ' << instant;
    }
  }
  ::unsetenv("TZ");
  ::tzset();
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
