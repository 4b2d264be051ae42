// RoundedDecimal: decimals rounded to one fraction digit, ties to even, written with a point and no grouping.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velto {

/// `decimal`, an exact decimal (an optional '-', digits, optionally '.' and more digits), rounded to at most one
/// fraction digit with ties to even; a zero fraction and the sign of a zero are dropped ("1.25" -> "1.2",
/// "9.96" -> "10", "-0.04" -> "0"). ASCII digits, a point and no grouping: what ICU writes in "en_US_POSIX" with
/// grouping off and at most one fraction digit.
std::string roundedDecimal(std::string_view decimal);

/// `value` rounded as above from its shortest decimal form, the fewest digits that read back as `value`. ICU
/// rounds those digits too, not the binary value: 0.15 is a tie there, and gives "0.2". Nullopt when `value`
/// is not finite.
std::optional<std::string> roundedDecimal(double value);

}  // namespace velto
