// RoundedDecimal: rounding on the decimal digits themselves, so that ties are decided as written.
#include "RoundedDecimal.h"

#include <array>
#include <charconv>
#include <cmath>

namespace velto {

std::string roundedDecimal(std::string_view decimal) {
  const bool negative = decimal.starts_with('-');
  if (negative) decimal.remove_prefix(1);
  const auto point = decimal.find('.');
  const std::string_view fraction = point == std::string_view::npos ? "" : decimal.substr(point + 1);
  // The whole digits and the first fraction digit, as one number of tenths.
  std::string tenths(decimal.substr(0, point));
  tenths += fraction.empty() ? '0' : fraction.front();
  const std::string_view rest = fraction.size() > 1 ? fraction.substr(1) : "";

  bool up = !rest.empty() && rest.front() > '5';
  if (!rest.empty() && rest.front() == '5') {
    const bool tie = rest.find_first_not_of('0', 1) == std::string_view::npos;
    up = !tie || (tenths.back() - '0') % 2 == 1;
  }
  if (up) {
    auto digit = tenths.rbegin();
    for (; digit != tenths.rend() && *digit == '9'; ++digit) *digit = '0';
    if (digit == tenths.rend()) {
      tenths.insert(tenths.begin(), '1');
    } else {
      ++*digit;
    }
  }

  const char tenth = tenths.back();
  tenths.pop_back();
  const auto firstSignificant = tenths.find_first_not_of('0');
  std::string text = firstSignificant == std::string::npos ? "0" : tenths.substr(firstSignificant);
  if (tenth != '0') {
    text += '.';
    text += tenth;
  }
  if (negative && text != "0") text.insert(text.begin(), '-');
  return text;
}

std::optional<std::string> roundedDecimal(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  // The largest double has 309 whole digits; the shortest form never needs more than 17 significant ones.
  std::array<char, 400> buffer{};
  const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
  if (written.ec != std::errc()) return std::nullopt;
  return roundedDecimal(std::string_view(buffer.data(), written.ptr));
}

}  // namespace velto
