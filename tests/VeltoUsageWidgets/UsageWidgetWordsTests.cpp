// Tests of the widget's words: window titles, percentages, token counts, output days, wallets, reading times.
#include "UsageWidgetWords.h"

#include <gtest/gtest.h>

#include "ZoneOrSkip.h"

#include <cstdint>
#include <limits>
#include <ostream>

#include "EscapedText.h"

namespace velto {
namespace {

using testing_support::escaped;

// Seconds since 1970 of a UTC date and time in the proleptic Gregorian calendar.
double utc(int year, int month, int day, int hour = 0, int minute = 0) {
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const long long days = era * 146097LL + dayOfEra - 719468;
  return static_cast<double>(days * 86400 + hour * 3600 + minute * 60);
}


TEST(UsageWidgetWords, TextPicksTheLanguage) {
  EXPECT_EQ(UsageWidgetWords::text("Used quota", "已用额度", false), "Used quota");
  EXPECT_EQ(UsageWidgetWords::text("Used quota", "已用额度", true), "已用额度");
}

struct WindowCase {
  const char* name;
  const char* kind;
  const char* label;
  const char* model;
  const char* english;
  const char* chinese;
};
void PrintTo(const WindowCase& row, std::ostream* out) { *out << row.name; }

class UsageWidgetWordsWindow : public ::testing::TestWithParam<WindowCase> {};

TEST_P(UsageWidgetWordsWindow, TitleInBothLanguages) {
  const auto& row = GetParam();
  const UsageWidgetWindow window{.label = row.label, .kind = row.kind, .model = row.model};
  EXPECT_EQ(UsageWidgetWords::window(window, "corvid", false), row.english) << escaped(row.english);
  EXPECT_EQ(UsageWidgetWords::window(window, "corvid", true), row.chinese) << escaped(row.chinese);
}

INSTANTIATE_TEST_SUITE_P(
    UsageWidgetWords, UsageWidgetWordsWindow,
    ::testing::Values(
        WindowCase{"Hour", "hour", "corvid 5h", "", "Hourly", "小时额度"},
        WindowCase{"Session", "session", "corvid 5h", "", "Session", "会话额度"},
        WindowCase{"WeekAllIsWeekly", "week-all", "corvid all models", "", "Weekly", "周额度"},
        WindowCase{"WeekModelNamesItsModel", "week-model", "corvid reef", "Reef 4", "Reef 4 · Weekly",
                   "Reef 4 · 周额度"},
        WindowCase{"WeekModelWithoutModel", "week-model", "corvid reef", "", "Weekly", "周额度"},
        WindowCase{"CapitalKindFallsBackToLabel", "HOUR", "corvid 5h", "", "5h", "5h"},
        WindowCase{"EmptyKindFallsBackToLabel", "", "corvid 5h", "", "5h", "5h"},
        WindowCase{"KeyLaterInLabelKept", "burst", "Pro corvid 5h", "", "Pro corvid 5h", "Pro corvid 5h"},
        WindowCase{"KeyWithoutSpaceKept", "burst", "corvid5h", "", "corvid5h", "corvid5h"},
        WindowCase{"OnlyOnePrefixRemoved", "burst", "corvid corvid 5h", "", "corvid 5h", "corvid 5h"},
        // The space carries a combining acute accent: one character that is not a space, so nothing is cut.
        WindowCase{"MarkedSpaceIsNoSeparator", "burst", "corvid \u0301x", "", "corvid \u0301x", "corvid \u0301x"}));

struct PercentCase {
  const char* name;
  const char* locale;
  double value;
  const char* expected;
};
void PrintTo(const PercentCase& row, std::ostream* out) { *out << row.name; }

class UsageWidgetWordsPercent : public ::testing::TestWithParam<PercentCase> {};

TEST_P(UsageWidgetWordsPercent, InTheLocale) {
  const auto& row = GetParam();
  EXPECT_EQ(UsageWidgetWords::percent(row.value, row.locale), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    UsageWidgetWords, UsageWidgetWordsPercent,
    ::testing::Values(
        PercentCase{"Whole", "en_US", 42, "42%"},
        PercentCase{"OneDigit", "en_US", 42.5, "42.5%"},
        PercentCase{"TieToEvenDown", "en_US", 42.25, "42.2%"},
        PercentCase{"RoundsUpToWhole", "en_US", 99.96, "100%"},
        PercentCase{"Grouped", "en_US", 1000, "1,000%"},
        PercentCase{"SmallNegativeKeepsSign", "en_US", -0.06, "-0.1%"},
        PercentCase{"NegativeZero", "en_US", -0.0, "0%"},
        PercentCase{"NegativeRoundingToZero", "en_US", -0.04, "0%"},
        PercentCase{"GermanComma", "de_DE", 42.5, "42,5%"},
        PercentCase{"GermanGrouping", "de_DE", 1000, "1.000%"},
        PercentCase{"PosixHasNoGrouping", "en_US_POSIX", 1000, "1000%"}));

struct CountCase {
  const char* name;
  std::int64_t value;
  const char* expected;
};
void PrintTo(const CountCase& row, std::ostream* out) { *out << row.name; }

class UsageWidgetWordsCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(UsageWidgetWordsCount, Abbreviated) { EXPECT_EQ(UsageWidgetWords::count(GetParam().value), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    UsageWidgetWords, UsageWidgetWordsCount,
    ::testing::Values(
        CountCase{"LargestPlain", 999, "999"},
        CountCase{"OneThousand", 1000, "1K"},
        CountCase{"ThousandTieToEven", 1050, "1K"},
        CountCase{"ThousandAndAHalf", 1500, "1.5K"},
        CountCase{"JustBelowRoundingUp", 999949, "999.9K"},
        CountCase{"TieRoundsToWholeThousand", 999950, "1000K"},
        CountCase{"NotPromotedToMillions", 999999, "1000K"},
        CountCase{"OneMillion", 1000000, "1M"},
        CountCase{"BillionUngrouped", 1000000000, "1000M"},
        // 797522772178.45 exactly: a tie, to even. The nearest double of the count is a little more.
        CountCase{"TieOfAHugeCountIsExact", 797522772178450000, "797522772178.4M"},
        CountCase{"Largest", std::numeric_limits<std::int64_t>::max(), "9223372036854.8M"},
        CountCase{"NegativeNeverShortened", -5000, "-5000"},
        CountCase{"Smallest", std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"}));

struct OutputDayCase {
  const char* name;
  const char* zone;
  double at;
  const char* day;
  const char* english;
  const char* chinese;
};
void PrintTo(const OutputDayCase& row, std::ostream* out) { *out << row.name; }

class UsageWidgetWordsOutputDay : public ::testing::TestWithParam<OutputDayCase> {};

TEST_P(UsageWidgetWordsOutputDay, TodayOrTheDay) {
  const auto& row = GetParam();
  ZONE_OR_SKIP(zone, row.zone);
  const UsageWidgetOutput output{.day = row.day, .today = 1, .week = 1};
  EXPECT_EQ(UsageWidgetWords::outputDay(output, row.at, false, *zone), row.english);
  EXPECT_EQ(UsageWidgetWords::outputDay(output, row.at, true, *zone), row.chinese);
}

INSTANTIATE_TEST_SUITE_P(
    UsageWidgetWords, UsageWidgetWordsOutputDay,
    ::testing::Values(
        OutputDayCase{"SameDay", "UTC", utc(2026, 3, 1, 12), "2026-03-01", "Today", "今日"},
        OutputDayCase{"DayBefore", "UTC", utc(2026, 3, 1, 12), "2026-02-28", "2026-02-28", "2026-02-28"},
        OutputDayCase{"LocalDayAheadOfUtc", "Asia/Shanghai", utc(2026, 3, 1, 20), "2026-03-02", "Today", "今日"},
        OutputDayCase{"UtcDayIsNotToday", "Asia/Shanghai", utc(2026, 3, 1, 20), "2026-03-01", "2026-03-01",
                      "2026-03-01"},
        // 23:30 at UTC-6: Mexico City kept no summer time after 2022, which ICU 72's own tables predate.
        OutputDayCase{"RulesNewerThanIcu", "America/Mexico_City", utc(2024, 6, 1, 5, 30), "2024-05-31", "Today",
                      "今日"}));

struct WalletCase {
  const char* kind;
  const char* english;
  const char* chinese;
};
void PrintTo(const WalletCase& row, std::ostream* out) { *out << (*row.kind ? row.kind : "(empty)"); }

class UsageWidgetWordsWallet : public ::testing::TestWithParam<WalletCase> {};

TEST_P(UsageWidgetWordsWallet, KindName) {
  const auto& row = GetParam();
  const UsageWidgetWallet wallet{.kind = row.kind, .currency = "USD", .amount = "1"};
  EXPECT_EQ(UsageWidgetWords::wallet(wallet, false), row.english);
  EXPECT_EQ(UsageWidgetWords::wallet(wallet, true), row.chinese);
}

INSTANTIATE_TEST_SUITE_P(UsageWidgetWords, UsageWidgetWordsWallet,
                         ::testing::Values(WalletCase{"bonus", "Bonus", "赠送"},
                                           WalletCase{"recharge", "Recharge", "充值"},
                                           WalletCase{"Bonus", "Bonus", "Bonus"},
                                           WalletCase{"credit", "credit", "credit"},
                                           WalletCase{"", "", ""}));

struct ReadingTimeCase {
  const char* name;
  const char* zone;
  double time;
  double now;
  const char* english;
  const char* chinese;
};
void PrintTo(const ReadingTimeCase& row, std::ostream* out) { *out << row.name; }

class UsageWidgetWordsReadingTime : public ::testing::TestWithParam<ReadingTimeCase> {};

TEST_P(UsageWidgetWordsReadingTime, TimeAloneOnTheSameDay) {
  const auto& row = GetParam();
  ZONE_OR_SKIP(zone, row.zone);
  const auto english = UsageWidgetWords::readingTime(row.time, row.now, false, *zone);
  const auto chinese = UsageWidgetWords::readingTime(row.time, row.now, true, *zone);
  EXPECT_EQ(english, row.english) << escaped(english);
  EXPECT_EQ(chinese, row.chinese) << escaped(chinese);
}

// ICU writes U+202F NARROW NO-BREAK SPACE before AM and PM.
INSTANTIATE_TEST_SUITE_P(
    UsageWidgetWords, UsageWidgetWordsReadingTime,
    ::testing::Values(
        ReadingTimeCase{"SameDay", "UTC", utc(2026, 12, 1, 15, 4), utc(2026, 12, 1, 18), "3:04\u202FPM", "15:04"},
        ReadingTimeCase{"FirstMinuteOfTheDay", "UTC", utc(2026, 12, 1, 0, 1), utc(2026, 12, 1, 12),
                        "12:01\u202FAM", "00:01"},
        ReadingTimeCase{"LastMinuteOfTheDayBefore", "UTC", utc(2026, 11, 30, 23, 59), utc(2026, 12, 1, 0, 1),
                        "Nov 30, 2026, 11:59\u202FPM", "2026年11月30日 23:59"},
        ReadingTimeCase{"NextDay", "UTC", utc(2026, 12, 2, 9, 30), utc(2026, 12, 1, 12), "Dec 2, 2026, 9:30\u202FAM",
                        "2026年12月2日 09:30"},
        // Same UTC day, but past local midnight in Shanghai (UTC+8).
        ReadingTimeCase{"LocalDayDiffersFromUtc", "Asia/Shanghai", utc(2026, 12, 1, 16, 30), utc(2026, 12, 1, 15),
                        "Dec 2, 2026, 12:30\u202FAM", "2026年12月2日 00:30"},
        // ICU 72's own tables would still put Mexico City at UTC-5 in June, 00:30 on the next day.
        ReadingTimeCase{"RulesNewerThanIcu", "America/Mexico_City", utc(2024, 6, 1, 5, 30), utc(2024, 6, 1, 4),
                        "11:30\u202FPM", "23:30"},
        // Berlin moves to summer time at 01:00 UTC: the reading takes the offset of its own instant.
        ReadingTimeCase{"AcrossTheSpringChange", "Europe/Berlin", utc(2026, 3, 29, 1, 30), utc(2026, 3, 28, 23, 30),
                        "3:30\u202FAM", "03:30"},
        ReadingTimeCase{"NotFinite", "UTC", std::numeric_limits<double>::infinity(), utc(2026, 12, 1), "", ""}));

}  // namespace
}  // namespace velto
