// UsageWidgetWords: literal word pairs, numbers rounded on their digits (ICU's formatters for other locales), dates
// from fixed patterns.
#include "UsageWidgetWords.h"

#include <unicode/unistr.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <unordered_map>

#include "CalendarTime.h"
#include "IcuFormatLibrary.h"
#include "NumberLocale.h"
#include "RoundedDecimal.h"
#include "UnicodeText.h"

namespace velto {
namespace {

struct WordPair {
  std::string_view key;
  std::string_view english;
  std::string_view chinese;
};

// Kinds compare byte for byte: no other text is canonically equivalent to these lower-case ASCII words.
constexpr std::array<WordPair, 6> windowKinds{{
    {"hour", "Hourly", "小时额度"},
    {"session", "Session", "会话额度"},
    {"day", "Daily", "日额度"},
    {"week", "Weekly", "周额度"},
    {"week-all", "Weekly", "周额度"},
    {"month", "Monthly", "月额度"},
}};

constexpr std::array<WordPair, 2> walletKinds{{
    {"bonus", "Bonus", "赠送"},
    {"recharge", "Recharge", "充值"},
}};

constexpr std::string_view perModelWeeklyKind = "week-model";
constexpr WordPair weekly = windowKinds[3];
constexpr std::string_view modelJoiner = " · ";
constexpr std::string_view todayEnglish = "Today";
constexpr std::string_view todayChinese = "今日";

constexpr double secondsPerDay = 86400;

// Locales that write a number below 1,000 as RoundedDecimal does (ASCII digits, a point, a hyphen-minus), as
// the tests show for each against ICU. Their percentages need no ICU formatter, whose locale data is a seventh of a
// status-bar line's resident memory.
constexpr std::array<std::string_view, 19> plainLocales{
    "en_US_POSIX", "en", "en_US", "en_GB", "en_AU", "en_CA", "en_IE", "en_IN", "en_NZ", "en_SG",
    "zh", "zh_CN", "zh_Hans", "zh_Hans_CN", "zh_SG", "zh_HK", "zh_TW", "zh_Hant", "zh_Hant_TW"};

// The number of digits before the point of a decimal such as "-12.5".
std::size_t wholeDigits(std::string_view decimal) {
  if (decimal.starts_with('-')) decimal.remove_prefix(1);
  return std::min(decimal.find('.'), decimal.size());
}

// ICU's number formatter for `locale`: at most one fraction digit, ties to even, and the sign on negative values
// only, so that a value that rounds to zero never reads "-0". Formatters are expensive to build, so every thread
// keeps its own, built the first time it asks for a locale.
std::string formattedByIcu(double value, std::string_view locale) {
  const IcuFormatLibrary& icu = IcuFormatLibrary::get();
  struct Formatter {
    std::unique_ptr<UNumberFormatter, decltype(icu.closeNumberFormat)> format;
    std::unique_ptr<UFormattedNumber, decltype(icu.closeNumberResult)> result;
  };
  thread_local std::unordered_map<std::string, Formatter> formatters;
  const std::string key(locale);
  auto found = formatters.find(key);
  UErrorCode status = U_ZERO_ERROR;
  if (found == formatters.end()) {
    Formatter made{{icu.openNumberFormat(u".# rounding-mode-half-even sign-negative", -1, key.c_str(), &status),
                    icu.closeNumberFormat},
                   {icu.openNumberResult(&status), icu.closeNumberResult}};
    if (U_FAILURE(status)) return {};
    found = formatters.emplace(key, std::move(made)).first;
  }
  icu.formatDouble(found->second.format.get(), value, found->second.result.get(), &status);
  // The length first: the largest doubles take hundreds of digits and separators.
  const int32_t length = icu.resultToString(found->second.result.get(), nullptr, 0, &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) status = U_ZERO_ERROR;
  std::u16string text(static_cast<std::size_t>(std::max(length, 0)), u'\0');
  icu.resultToString(found->second.result.get(), text.data(), length, &status);
  if (U_FAILURE(status)) return {};
  std::string result;
  icu::UnicodeString(text.data(), length).toUTF8String(result);
  return result;
}

// Local wall-clock time in seconds since 1970, with the offset the zone has at that instant. The offset comes from
// the system's zone rules (platform::TimeZone), never from ICU's own zone tables, which are older than some
// zones' rules.
std::optional<double> localSeconds(Instant instant, const platform::TimeZone& zone) {
  if (!std::isfinite(instant)) return std::nullopt;
  return instant + static_cast<double>(zone.offsetAt(instant));
}

// The dates below are written from the patterns ICU 72 gives "en" and "zh-Hans" (the short time style, and the
// medium date with the short time), character for character: building ICU's date formats instead would load
// the locales' calendar data, a third of a status-bar line's resident memory.
constexpr std::array<std::string_view, 12> englishMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::string_view narrowNoBreakSpace = "\u202F";

// `value` in decimal digits, with leading zeros up to `width`.
std::string digits(std::int64_t value, std::size_t width = 1) {
  std::string text = std::to_string(value);
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

// "h:mm a" in English, "HH:mm" in Chinese.
std::string shortTime(const CalendarTime& time, bool chinese) {
  if (chinese) return digits(time.hour, 2) + ':' + digits(time.minute, 2);
  const int hour = time.hour % 12 == 0 ? 12 : time.hour % 12;
  return digits(hour) + ':' + digits(time.minute, 2) + std::string(narrowNoBreakSpace) + (time.hour < 12 ? "AM" : "PM");
}

// "MMM d, y, h:mm a" in English, "y年M月d日 HH:mm" in Chinese.
std::string dateAndShortTime(const CalendarTime& time, bool chinese) {
  if (chinese) {
    return digits(time.yearOfEra) + "年" + digits(time.month) + "月" + digits(time.day) + "日 " + shortTime(time, true);
  }
  return std::string(englishMonths[static_cast<std::size_t>(time.month - 1)]) + ' ' + digits(time.day) + ", " + digits(time.yearOfEra) + ", " +
         shortTime(time, false);
}

// The day key "yyyy-MM-dd", as the host writes an output's day.
std::string dayKey(const CalendarTime& time) {
  return digits(time.yearOfEra, 4) + '-' + digits(time.month, 2) + '-' + digits(time.day, 2);
}

}  // namespace

std::string UsageWidgetWords::text(std::string_view english, std::string_view chineseText, bool chinese) {
  return std::string(chinese ? chineseText : english);
}

std::string UsageWidgetWords::window(const UsageWidgetWindow& window, std::string_view agent, bool chinese) {
  if (window.kind == perModelWeeklyKind) {
    const std::string word = text(weekly.english, weekly.chinese, chinese);
    if (window.model.empty()) return word;
    return window.model + std::string(modelJoiner) + word;
  }
  for (const auto& row : windowKinds) {
    if (window.kind == row.key) return text(row.english, row.chinese, chinese);
  }
  // Labels come from the report untranslated. The prefix is compared as whole characters, so that a label
  // whose space carries a combining mark keeps it rather than losing the space beneath it.
  const std::string prefix = std::string(agent) + ' ';
  const std::string_view label = window.label;
  const auto length = characterPrefixLength(label, characterCount(prefix));
  if (canonicallyEqual(label.substr(0, length), prefix)) return std::string(label.substr(length));
  return window.label;
}

std::string UsageWidgetWords::percent(double value, std::string_view locale) {
  if (std::find(plainLocales.begin(), plainLocales.end(), locale) != plainLocales.end()) {
    // From 1,000 on, locales group digits differently ("1,000" in "en", "1000" in "en_US_POSIX").
    if (const auto text = roundedDecimal(value); text && wholeDigits(*text) < 4) return *text + "%";
  }
  return formattedByIcu(value, locale) + "%";
}

std::string UsageWidgetWords::percent(double value) { return percent(value, platform::numberLocale()); }

std::span<const std::string_view> UsageWidgetWords::plainNumberLocales() { return plainLocales; }

std::string UsageWidgetWords::count(std::int64_t value) {
  // The quotient is written out as an exact decimal, so rounding sees the true digits and not a double near
  // them; negative counts never get a suffix.
  std::string digits = std::to_string(value);
  std::string_view suffix;
  if (value > 999'999) {
    digits.insert(digits.size() - 6, 1, '.');
    suffix = "M";
  } else if (value > 999) {
    digits.insert(digits.size() - 3, 1, '.');
    suffix = "K";
  }
  return roundedDecimal(digits) + std::string(suffix);
}

std::string UsageWidgetWords::outputDay(const UsageWidgetOutput& output, Instant at, bool chinese,
                                        const platform::TimeZone& zone) {
  const auto local = localSeconds(at, zone);
  if (local && output.day == dayKey(CalendarTime::at(*local))) return text(todayEnglish, todayChinese, chinese);
  return output.day;
}

std::string UsageWidgetWords::outputDay(const UsageWidgetOutput& output, Instant at, bool chinese) {
  return outputDay(output, at, chinese, platform::TimeZone::current());
}

std::string UsageWidgetWords::wallet(const UsageWidgetWallet& wallet, bool chinese) {
  for (const auto& row : walletKinds) {
    if (wallet.kind == row.key) return text(row.english, row.chinese, chinese);
  }
  return wallet.kind;
}

std::string UsageWidgetWords::readingTime(Instant time, Instant now, bool chinese, const platform::TimeZone& zone) {
  const auto local = localSeconds(time, zone);
  if (!local) return {};
  const auto localNow = localSeconds(now, zone);
  const bool sameDay = localNow && std::floor(*local / secondsPerDay) == std::floor(*localNow / secondsPerDay);
  const auto fields = CalendarTime::at(*local);
  return sameDay ? shortTime(fields, chinese) : dateAndShortTime(fields, chinese);
}

std::string UsageWidgetWords::readingTime(Instant time, Instant now, bool chinese) {
  return readingTime(time, now, chinese, platform::TimeZone::current());
}

}  // namespace velto
