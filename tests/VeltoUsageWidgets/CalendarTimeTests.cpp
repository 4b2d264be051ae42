// Tests of the widget's dates against ICU 72's date formats, the bytes they must reproduce.
#include "CalendarTime.h"

#include <gtest/gtest.h>
#include <unicode/datefmt.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <cmath>
#include <iomanip>
#include <memory>
#include <random>
#include <vector>

#include "EscapedText.h"
#include "UsageWidgetWords.h"
#include "UtcTime.h"

namespace velto {
namespace {

using testing_support::escaped;
using testing_support::utc;

std::string icuFormatted(icu::DateFormat* format, double seconds) {
  format->adoptTimeZone(icu::TimeZone::getGMT()->clone());
  icu::UnicodeString text;
  format->format(seconds * 1000.0, text);
  std::string result;
  return text.toUTF8String(result);
}

TEST(CalendarTime, WritesWhatIcuWritesInBothLanguages) {
  std::vector<double> instants = {
      utc(2026, 12, 1), utc(2026, 12, 1, 12), utc(2026, 12, 1, 1), utc(2026, 12, 1, 12, 59), utc(2026, 12, 1, 23, 59),
      utc(2026, 12, 31, 23, 59), utc(2027, 1, 1), utc(2024, 2, 29, 13), utc(2100, 3, 1), utc(2000, 2, 29),
      utc(9999, 12, 31, 23, 59), utc(10000, 1, 1), 0.5, -0.0005, 59.9999,
      -12219292800.0, -12219292801.0,             // the Gregorian calendar's first day, and the Julian day before
      -62135596800.0, -62135596801.0, -7e10,      // 1 AD, and the years before it
      1.8e14, 1.84e14, 1e300, -1.8e14, -1e300};  // ICU holds times beyond about 5.8 million years at its ends
  for (int month = 1; month <= 12; ++month) instants.push_back(utc(2026, month, month + 9, month));
  std::mt19937_64 random(20261207);
  for (double range : {4e9, 1e11, 2e14}) {
    std::uniform_real_distribution<double> within(-range, range);
    for (int i = 0; i < 3000; ++i) instants.push_back(within(random));
  }
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::DateFormat> dayKey(new icu::SimpleDateFormat(
      u"yyyy-MM-dd", icu::Locale("en_US_POSIX@calendar=gregorian"), status));
  ASSERT_TRUE(U_SUCCESS(status));
  const auto zone = platform::TimeZone::utc();
  for (const bool chinese : {false, true}) {
    const icu::Locale locale = chinese ? icu::Locale("zh_Hans") : icu::Locale("en");
    std::unique_ptr<icu::DateFormat> time(icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, locale));
    std::unique_ptr<icu::DateFormat> dateAndTime(
        icu::DateFormat::createDateTimeInstance(icu::DateFormat::kMedium, icu::DateFormat::kShort, locale));
    for (const double instant : instants) {
      SCOPED_TRACE(testing::Message() << std::setprecision(17) << instant << (chinese ? " zh" : " en"));
      EXPECT_EQ(escaped(UsageWidgetWords::readingTime(instant, instant, chinese, zone)),
                escaped(icuFormatted(time.get(), instant)));
      // A `now` that is not finite is on no day, so the date is written too.
      EXPECT_EQ(escaped(UsageWidgetWords::readingTime(instant, NAN, chinese, zone)),
                escaped(icuFormatted(dateAndTime.get(), instant)));
      const UsageWidgetOutput output{.day = icuFormatted(dayKey.get(), instant)};
      EXPECT_EQ(UsageWidgetWords::outputDay(output, instant, chinese, zone), chinese ? "今日" : "Today");
    }
  }
}

}  // namespace
}  // namespace velto
