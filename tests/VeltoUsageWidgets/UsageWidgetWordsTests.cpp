// Tests of the widget's words: window titles, percentages, token counts, output days, wallets, reading times.
#include "UsageWidgetWords.h"

#include <gtest/gtest.h>

#include "ZoneOrSkip.h"

#include <cstdint>
#include <limits>

#include "EscapedText.h"
#include "UtcTime.h"

namespace velto {
namespace {

using testing_support::escaped;
using testing_support::utc;

TEST(UsageWidgetWords, WindowTitleInBothLanguages) {
  struct Case {
    const char* kind;
    const char* label;
    const char* model;
    const char* english;
    const char* chinese;
  };
  const Case cases[] = {
      {"hour", "corvid 5h", "", "Hourly", "小时额度"},
      {"week-model", "corvid reef", "Reef 4", "Reef 4 · Weekly", "Reef 4 · 周额度"},  // names its model
      {"week-model", "corvid reef", "", "Weekly", "周额度"},
      {"HOUR", "corvid 5h", "", "5h", "5h"},                          // other kinds fall back to the label
      {"burst", "Pro corvid 5h", "", "Pro corvid 5h", "Pro corvid 5h"},  // the key later in the label stays
      {"burst", "corvid corvid 5h", "", "corvid 5h", "corvid 5h"},     // only one prefix is removed
      // The space carries a combining acute accent: one character that is not a space, so nothing is cut.
      {"burst", "corvid \u0301x", "", "corvid \u0301x", "corvid \u0301x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(escaped(std::string(c.kind) + " " + c.label));
    const UsageWidgetWindow window{.label = c.label, .kind = c.kind, .model = c.model};
    EXPECT_EQ(UsageWidgetWords::window(window, "corvid", false), c.english);
    EXPECT_EQ(UsageWidgetWords::window(window, "corvid", true), c.chinese);
  }
}

TEST(UsageWidgetWords, PercentInTheLocale) {
  struct Case {
    const char* locale;
    double value;
    const char* expected;
  };
  const Case cases[] = {
      // Through ICU's formatter: plain locales below 1,000 are compared with it in RoundedDecimalTests.
      {"de_DE", 42.25, "42,2%"},  // a tie, to even
      {"de_DE", 99.96, "100%"},
      {"en_US", 1000, "1,000%"},
      {"de_DE", -0.06, "-0,1%"},
      {"de_DE", -0.04, "0%"},     // rounding to zero loses the sign
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UsageWidgetWords::percent(c.value, c.locale), c.expected) << c.locale << " " << c.value;
  }
}

TEST(UsageWidgetWords, CountAbbreviated) {
  const std::pair<std::int64_t, const char*> cases[] = {
      {1050, "1K"},                 // a tie, to even
      {1500, "1.5K"},
      {999949, "999.9K"},
      {999950, "1000K"},            // rounds up, but is not promoted to millions
      {1000000, "1M"},
      {1000000000, "1000M"},        // never grouped
      // 797522772178.45 exactly: a tie, to even. The nearest double of the count is a little more.
      {797522772178450000, "797522772178.4M"},
      {std::numeric_limits<std::int64_t>::max(), "9223372036854.8M"},
      {-5000, "-5000"},             // negative counts are never shortened
      {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
  };
  for (const auto& [value, expected] : cases) EXPECT_EQ(UsageWidgetWords::count(value), expected) << value;
}

// In UTC, both answers are in the recorded output's tree (UsageWidgetContentTests); the system's zone
// rules, rather than ICU's, are in the reading times below.
TEST(UsageWidgetWords, OutputDayIsTodayInTheLocalZone) {
  ZONE_OR_SKIP(shanghai, "Asia/Shanghai");
  const Instant at = utc(2026, 3, 1, 20);  // already 2026-03-02 in Shanghai
  const UsageWidgetOutput today{.day = "2026-03-02", .today = 1, .week = 1};
  EXPECT_EQ(UsageWidgetWords::outputDay(today, at, false, *shanghai), "Today");
  EXPECT_EQ(UsageWidgetWords::outputDay(today, at, true, *shanghai), "今日");
  EXPECT_EQ(UsageWidgetWords::outputDay({.day = "2026-03-01", .today = 1, .week = 1}, at, true, *shanghai),
            "2026-03-01");
}

TEST(UsageWidgetWords, WalletKindName) {
  struct Case {
    const char* kind;
    const char* english;
    const char* chinese;
  };
  const Case cases[] = {
      {"bonus", "Bonus", "赠送"}, {"recharge", "Recharge", "充值"}, {"Bonus", "Bonus", "Bonus"}, {"", "", ""}};
  for (const auto& c : cases) {
    const UsageWidgetWallet wallet{.kind = c.kind, .currency = "USD", .amount = "1"};
    EXPECT_EQ(UsageWidgetWords::wallet(wallet, false), c.english) << c.kind;
    EXPECT_EQ(UsageWidgetWords::wallet(wallet, true), c.chinese) << c.kind;
  }
}

// ICU writes U+202F NARROW NO-BREAK SPACE before AM and PM.
TEST(UsageWidgetWords, ReadingTimeAloneOnTheSameDay) {
  struct Case {
    const char* zone;
    double time;
    double now;
    const char* english;
    const char* chinese;
  };
  const Case cases[] = {
      {"UTC", utc(2026, 11, 30, 23, 59), utc(2026, 12, 1, 0, 1), "Nov 30, 2026, 11:59\u202FPM",
       "2026年11月30日 23:59"},
      {"UTC", utc(2026, 12, 2, 9, 30), utc(2026, 12, 1, 12), "Dec 2, 2026, 9:30\u202FAM", "2026年12月2日 09:30"},
      // Same UTC day, but past local midnight in Shanghai (UTC+8).
      {"Asia/Shanghai", utc(2026, 12, 1, 16, 30), utc(2026, 12, 1, 15), "Dec 2, 2026, 12:30\u202FAM",
       "2026年12月2日 00:30"},
      // ICU 72's own tables would still put Mexico City at UTC-5 in June, 00:30 on the next day.
      {"America/Mexico_City", utc(2024, 6, 1, 5, 30), utc(2024, 6, 1, 4), "11:30\u202FPM", "23:30"},
      // Berlin moves to summer time at 01:00 UTC: the reading takes the offset of its own instant.
      {"Europe/Berlin", utc(2026, 3, 29, 1, 30), utc(2026, 3, 28, 23, 30), "3:30\u202FAM", "03:30"},
      {"UTC", std::numeric_limits<double>::infinity(), utc(2026, 12, 1), "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.time));
    ZONE_OR_SKIP(zone, c.zone);
    EXPECT_EQ(escaped(UsageWidgetWords::readingTime(c.time, c.now, false, *zone)), escaped(c.english));
    EXPECT_EQ(escaped(UsageWidgetWords::readingTime(c.time, c.now, true, *zone)), escaped(c.chinese));
  }
}

}  // namespace
}  // namespace velto
