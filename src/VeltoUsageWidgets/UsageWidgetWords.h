// UsageWidgetWords: the widget's words that depend on data, in English or Simplified Chinese.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "Instant.h"
#include "TimeZone.h"
#include "UsageWidgetSnapshot.h"

namespace velto {

/// Window titles, percentages, token counts, output days, wallet names and reading times. Every operation is a
/// pure function of its arguments; the overloads without a locale or a zone read the user's from the
/// environment. Numbers are written as ICU writes them: rounded on their decimal digits (RoundedDecimal) in the
/// locales that write them plainly, else by ICU's formatters, kept per thread; dates are written as ICU 72
/// writes them, from the same patterns (CalendarTime).
struct UsageWidgetWords {
  UsageWidgetWords() = delete;

  /// `chineseText` when `chinese` is true, else `english`.
  static std::string text(std::string_view english, std::string_view chineseText, bool chinese);

  /// The title of a quota window of an account of `agent`: the word for a known kind ("Weekly" / "周额度"), the
  /// model and " · Weekly" for a per-model weekly window, otherwise the window's label without a leading
  /// agent key and space.
  static std::string window(const UsageWidgetWindow& window, std::string_view agent, bool chinese);

  /// The percentage written in the ICU locale `locale` ("de_DE") with at most one fraction digit, ties to
  /// even, followed by "%"; neither clamped nor rounded to a whole number first. Never "-0%".
  static std::string percent(double value, std::string_view locale);
  /// The same in the user's locale for numbers (platform::numberLocale).
  static std::string percent(double value);
  /// The locales whose percentages below 1,000 are written without an ICU formatter ("en_US", "zh_CN", ...).
  static std::span<const std::string_view> plainNumberLocales();

  /// A token count, shortened above 999 to thousands ("1.5K") and above 999,999 to millions ("2.5M"), with at
  /// most one fraction digit, ties to even, a point and no grouping whatever the user's locale. Negative
  /// counts are written whole.
  static std::string count(std::int64_t value);

  /// "Today" / "今日" when the output's day is the day of `at` in `zone` ("yyyy-MM-dd", Gregorian), else the
  /// output's day as it is.
  static std::string outputDay(const UsageWidgetOutput& output, Instant at, bool chinese,
                               const platform::TimeZone& zone);
  /// The same in the user's time zone.
  static std::string outputDay(const UsageWidgetOutput& output, Instant at, bool chinese);

  /// The name of the wallet's kind ("Bonus" / "赠送", "Recharge" / "充值"), else the kind as it is.
  static std::string wallet(const UsageWidgetWallet& wallet, bool chinese);

  /// The time `time` as the widget shows a reading or reset time, in `zone`: the short time alone ("3:04 PM",
  /// "15:04") when it falls on the same local day as `now`, else the medium date and the short time
  /// ("Dec 1, 2026, 3:04 PM", "2026年12月1日 15:04"), in the locale "en" or "zh-Hans" as ICU writes them (the
  /// English space before AM/PM is U+202F NARROW NO-BREAK SPACE). Empty when `time` is not finite.
  static std::string readingTime(Instant time, Instant now, bool chinese, const platform::TimeZone& zone);
  /// The same in the user's time zone.
  static std::string readingTime(Instant time, Instant now, bool chinese);
};

}  // namespace velto
