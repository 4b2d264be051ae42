// Tests of the widget's numbers written without ICU's formatters, against the bytes ICU writes for them.
#include "RoundedDecimal.h"

#include <gtest/gtest.h>
#include <unicode/numberformatter.h>

#include <cmath>
#include <cstdint>
#include <iomanip>
#include <limits>
#include <random>
#include <vector>

#include "EscapedText.h"
#include "UsageWidgetWords.h"

namespace velto {
namespace {

using testing_support::escaped;

std::string utf8(const icu::number::FormattedNumber& formatted) {
  UErrorCode status = U_ZERO_ERROR;
  std::string text;
  formatted.toString(status).toUTF8String(text);
  EXPECT_TRUE(U_SUCCESS(status));
  return text;
}

// ICU's formatter of a percentage through its C++ classes, as the program had it before it wrote the plain
// locales without one and called the other locales' formatter through the C functions it loads.
icu::number::LocalizedNumberFormatter icuPercent(std::string_view locale) {
  return icu::number::NumberFormatter::withLocale(icu::Locale(std::string(locale).c_str()))
      .precision(icu::number::Precision::minMaxFraction(0, 1))
      .roundingMode(UNUM_ROUND_HALFEVEN)
      .sign(UNUM_SIGN_NEGATIVE);
}

TEST(RoundedDecimal, PercentagesAreWhatIcuWrites) {
  const double largest = std::numeric_limits<double>::max();
  std::vector<double> values = {0, -0.0, 0.05, 0.15, 0.25, 0.35, 0.04999999999999999, 99.95, 99.96, 999.94, 999.95,
                                -999.95, 1000, -0.05, -0.06, 1e-300, 5e-324, 1e300, largest, -largest, NAN, INFINITY,
                                -INFINITY, 0.1 + 0.2, 1.0 / 3};
  // Every tie of tenths below 1,000 (ties are where rounding the binary value instead of its digits differs),
  // and random values around that range, with two or three fraction digits to make more ties.
  for (int twentieths = 1; twentieths < 20000; twentieths += 2) values.push_back(twentieths / 20.0);
  std::mt19937_64 random(20261207);
  std::uniform_real_distribution<double> within(-1100, 1100);
  for (int i = 0; i < 3000; ++i) {
    const double scale = i % 3 == 0 ? 100 : i % 3 == 1 ? 1000 : 1;
    values.push_back(scale == 1 ? within(random) : std::round(within(random) * scale) / scale);
  }
  // The plain locales, then locales with other digits, separators, minus signs and grouping.
  std::vector<std::string_view> locales(UsageWidgetWords::plainNumberLocales().begin(),
                                        UsageWidgetWords::plainNumberLocales().end());
  locales.insert(locales.end(), {"de_DE", "fr_FR", "ar_EG", "fa_IR", "hi_IN", "sv_SE"});
  for (const auto locale : locales) {
    const auto formatter = icuPercent(locale);
    for (const double value : values) {
      UErrorCode status = U_ZERO_ERROR;
      const std::string expected = utf8(formatter.formatDouble(value, status)) + "%";
      ASSERT_EQ(escaped(UsageWidgetWords::percent(value, locale)), escaped(expected))
          << locale << " " << std::setprecision(17) << value;
    }
  }
}

TEST(RoundedDecimal, CountsAreWhatIcuWritesWithoutGrouping) {
  const auto formatter = icu::number::NumberFormatter::withLocale(icu::Locale("en_US_POSIX"))
                             .grouping(UNUM_GROUPING_OFF)
                             .precision(icu::number::Precision::minMaxFraction(0, 1))
                             .roundingMode(UNUM_ROUND_HALFEVEN);
  // What a count gives it: a whole number, or a positive one with a point three or six digits from the end.
  std::vector<std::string> decimals = {"0", "0.0", "-7", "0.05", "0.15", "0.150",
                                       "0.1500001", "9.95", "9.96", "99.949", "999.950", "1.050", "1.150",
                                       "9223372036854.775807", "-9223372036854775808", "797522772178.450000"};
  std::mt19937_64 random(20261207);
  for (int i = 0; i < 3000; ++i) {
    std::string digits = std::to_string(static_cast<std::int64_t>(random()) >> (random() % 63));
    const std::size_t point = random() % 7;
    if (!digits.starts_with('-') && digits.size() > point) digits.insert(digits.size() - point, 1, '.');
    decimals.push_back(digits);
  }
  for (const auto& decimal : decimals) {
    UErrorCode status = U_ZERO_ERROR;
    const std::string expected = utf8(formatter.formatDecimal(icu::StringPiece(decimal), status));
    ASSERT_EQ(roundedDecimal(decimal), expected) << decimal;
  }
}

}  // namespace
}  // namespace velto
