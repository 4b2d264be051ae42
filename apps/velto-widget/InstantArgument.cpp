// InstantArgument: a strict reader of the two forms of instant the commands accept.
#include "InstantArgument.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <ostream>

namespace velto::app {
namespace {

/// A finite decimal number that takes up the whole text.
std::optional<double> parseNumber(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

/// Reads fixed-width fields off the front of a text.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  bool atEnd() const { return text_.empty(); }
  char peek() const { return text_.empty() ? '\0' : text_.front(); }

  /// Exactly `width` digits as a number, within [low, high].
  std::optional<int> digits(std::size_t width, int low, int high) {
    if (text_.size() < width) return std::nullopt;
    int value = 0;
    for (std::size_t i = 0; i < width; ++i) {
      if (text_[i] < '0' || text_[i] > '9') return std::nullopt;
      value = value * 10 + (text_[i] - '0');
    }
    text_.remove_prefix(width);
    if (value < low || value > high) return std::nullopt;
    return value;
  }

  bool skip(char c) {
    if (peek() != c) return false;
    text_.remove_prefix(1);
    return true;
  }

  /// A point and at least one digit, as the fraction of a second they write.
  std::optional<double> fraction() {
    if (peek() != '.' && peek() != ',') return 0.0;
    std::size_t length = 1;
    while (length < text_.size() && text_[length] >= '0' && text_[length] <= '9') ++length;
    if (length == 1) return std::nullopt;
    const auto value = parseNumber("0." + std::string(text_.substr(1, length - 1)));
    text_.remove_prefix(length);
    return value;
  }

 private:
  std::string_view text_;
};

/// "YYYY-MM-DDTHH:MM[:SS[.fff]]" followed by "Z" or "+HH:MM" / "-HH:MM" (or without the colon).
std::optional<Instant> parseIsoInstant(std::string_view text) {
  namespace chrono = std::chrono;
  Cursor cursor(text);
  const auto yearNumber = cursor.digits(4, 0, 9999);
  if (!yearNumber || !cursor.skip('-')) return std::nullopt;
  const auto monthNumber = cursor.digits(2, 1, 12);
  if (!monthNumber || !cursor.skip('-')) return std::nullopt;
  const auto dayNumber = cursor.digits(2, 1, 31);
  if (!dayNumber || !(cursor.skip('T') || cursor.skip('t'))) return std::nullopt;
  const chrono::year_month_day date{chrono::year{*yearNumber}, chrono::month{static_cast<unsigned>(*monthNumber)},
                                    chrono::day{static_cast<unsigned>(*dayNumber)}};
  if (!date.ok()) return std::nullopt;  // 2026-02-30

  const auto hours = cursor.digits(2, 0, 23);
  if (!hours || !cursor.skip(':')) return std::nullopt;
  const auto minutes = cursor.digits(2, 0, 59);
  if (!minutes) return std::nullopt;
  std::optional<int> seconds = 0;
  std::optional<double> fraction = 0.0;
  if (cursor.skip(':')) {
    seconds = cursor.digits(2, 0, 59);
    fraction = cursor.fraction();
    if (!seconds || !fraction) return std::nullopt;
  }

  std::int64_t offset = 0;
  if (!(cursor.skip('Z') || cursor.skip('z'))) {
    const char sign = cursor.peek();
    if (!(cursor.skip('+') || cursor.skip('-'))) return std::nullopt;
    const auto offsetHours = cursor.digits(2, 0, 23);
    cursor.skip(':');
    const auto offsetMinutes = cursor.digits(2, 0, 59);
    if (!offsetHours || !offsetMinutes) return std::nullopt;
    offset = (sign == '-' ? -1 : 1) * (std::int64_t{*offsetHours} * 3600 + std::int64_t{*offsetMinutes} * 60);
  }
  if (!cursor.atEnd()) return std::nullopt;

  const std::int64_t days = chrono::sys_days(date).time_since_epoch().count();
  const std::int64_t whole = days * 86400 + std::int64_t{*hours} * 3600 + std::int64_t{*minutes} * 60 + *seconds - offset;
  return static_cast<Instant>(whole) + *fraction;
}

}  // namespace

std::optional<Instant> parseInstant(std::string_view text) {
  if (const auto seconds = parseNumber(text)) return seconds;
  return parseIsoInstant(text);
}


Instant currentInstant() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::optional<Instant> instantArgument(const std::optional<std::string>& at, std::ostream& err) {
  if (!at) return currentInstant();
  if (const auto parsed = parseInstant(*at)) return parsed;
  err << "velto-widget: --at: \"" << *at
      << "\" is neither seconds since 1970 nor an ISO 8601 time such as 2026-12-01T12:00:00Z\n"
      << "Run with --help for more information.\n";
  return std::nullopt;
}

}  // namespace velto::app
