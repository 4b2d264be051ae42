// UsageWidgetWords: literal word pairs, and numbers and dates through ICU formatters kept per thread.
#include "UsageWidgetWords.h"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/numberformatter.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <unordered_map>

#include "NumberLocale.h"
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

std::string utf8(const icu::UnicodeString& text) {
  std::string result;
  text.toUTF8String(result);
  return result;
}

std::string utf8(const icu::number::FormattedNumber& formatted, UErrorCode& status) {
  const auto text = formatted.toString(status);
  return U_FAILURE(status) ? std::string() : utf8(text);
}

// Formatters are expensive to build and the date formats are not safe to share, so every thread keeps its own,
// built the first time that thread asks for a locale.

const icu::number::LocalizedNumberFormatter& percentFormatter(std::string_view locale) {
  thread_local std::unordered_map<std::string, icu::number::LocalizedNumberFormatter> formatters;
  const std::string key(locale);
  auto found = formatters.find(key);
  if (found == formatters.end()) {
    // The sign is shown on negative values only: a value that rounds to zero must not read "-0".
    auto formatter = icu::number::NumberFormatter::withLocale(icu::Locale(key.c_str()))
                         .precision(icu::number::Precision::minMaxFraction(0, 1))
                         .roundingMode(UNUM_ROUND_HALFEVEN)
                         .sign(UNUM_SIGN_NEGATIVE);
    found = formatters.emplace(key, std::move(formatter)).first;
  }
  return found->second;
}

const icu::number::LocalizedNumberFormatter& countFormatter() {
  thread_local const auto formatter = icu::number::NumberFormatter::withLocale(icu::Locale("en_US_POSIX"))
                                          .grouping(UNUM_GROUPING_OFF)
                                          .precision(icu::number::Precision::minMaxFraction(0, 1))
                                          .roundingMode(UNUM_ROUND_HALFEVEN);
  return formatter;
}

// Every date format works in GMT and is handed local wall-clock time: the offset comes from the system's zone
// rules (platform::TimeZone), never from ICU's own zone tables, which are older than some zones' rules.
std::unique_ptr<icu::DateFormat> inGmt(icu::DateFormat* format) {
  std::unique_ptr<icu::DateFormat> owned(format);
  if (owned) owned->adoptTimeZone(icu::TimeZone::getGMT()->clone());
  return owned;
}

// Local wall-clock time in seconds since 1970, with the offset the zone has at that instant.
std::optional<double> localSeconds(Instant instant, const platform::TimeZone& zone) {
  if (!std::isfinite(instant)) return std::nullopt;
  return instant + static_cast<double>(zone.offsetAt(instant));
}

std::string formatted(const icu::DateFormat* format, double localSeconds) {
  if (format == nullptr) return {};
  icu::UnicodeString text;
  format->format(localSeconds * 1000.0, text);
  return utf8(text);
}

// The day key "yyyy-MM-dd" in the Gregorian calendar, as the host writes an output's day.
const icu::DateFormat* dayKeyFormat() {
  thread_local const std::unique_ptr<icu::DateFormat> format = [] {
    UErrorCode status = U_ZERO_ERROR;
    auto made = std::make_unique<icu::SimpleDateFormat>(
        icu::UnicodeString(u"yyyy-MM-dd"), icu::Locale("en_US_POSIX@calendar=gregorian"), status);
    return U_FAILURE(status) ? nullptr : inGmt(made.release());
  }();
  return format.get();
}

struct ReadingFormats {
  std::unique_ptr<icu::DateFormat> time;         // the short time style: hours and minutes
  std::unique_ptr<icu::DateFormat> dateAndTime;  // the medium date style (month abbreviated, day, year), then
                                                 // the short time, joined as the locale joins them
};

// Keyed by the language flag, which stands for the locale "zh-Hans" or "en".

const ReadingFormats& readingFormats(bool chinese) {
  thread_local std::array<std::optional<ReadingFormats>, 2> formats;
  auto& slot = formats[chinese ? 1 : 0];
  if (!slot) {
    const icu::Locale locale = chinese ? icu::Locale("zh_Hans") : icu::Locale("en");
    slot = ReadingFormats{
        inGmt(icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, locale)),
        inGmt(icu::DateFormat::createDateTimeInstance(icu::DateFormat::kMedium, icu::DateFormat::kShort, locale))};
  }
  return *slot;
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
  UErrorCode status = U_ZERO_ERROR;
  return utf8(percentFormatter(locale).formatDouble(value, status), status) + "%";
}

std::string UsageWidgetWords::percent(double value) { return percent(value, platform::numberLocale()); }

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
  UErrorCode status = U_ZERO_ERROR;
  const auto formatted = countFormatter().formatDecimal(icu::StringPiece(digits), status);
  return utf8(formatted, status) + std::string(suffix);
}

std::string UsageWidgetWords::outputDay(const UsageWidgetOutput& output, Instant at, bool chinese,
                                        const platform::TimeZone& zone) {
  const auto local = localSeconds(at, zone);
  if (local && output.day == formatted(dayKeyFormat(), *local)) return text(todayEnglish, todayChinese, chinese);
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
  const auto& formats = readingFormats(chinese);
  const auto localNow = localSeconds(now, zone);
  const bool sameDay = localNow && std::floor(*local / secondsPerDay) == std::floor(*localNow / secondsPerDay);
  return formatted(sameDay ? formats.time.get() : formats.dateAndTime.get(), *local);
}

std::string UsageWidgetWords::readingTime(Instant time, Instant now, bool chinese) {
  return readingTime(time, now, chinese, platform::TimeZone::current());
}

}  // namespace velto
