// Tests of moving a raw usage report in time: which values move, by how much, and what stays as written.
#include "ReportShift.h"

#include <gtest/gtest.h>

#include "JsonDecodingError.h"
#include "ZoneOrSkip.h"

namespace velto::producer {
namespace {

constexpr Instant at = 1796117400;  // 2026-12-01T09:30:00Z

TEST(ReportShift, InstantsMoveSoThatTheNewestReadingIsNowAndDaysSoThatTheLastIsToday) {
  ZONE_OR_SKIP(utc, "UTC");
  ZONE_OR_SKIP(shanghai, "Asia/Shanghai");
  const struct {
    std::string report;
    Instant at;
    const platform::TimeZone& zone;
    std::string shifted;
  } cases[] = {
      // The newest reading (950, a balance) lands on `at`; everything the format holds moves with it.
      {R"({"limits":{"windows":[{"agent":"a","label":"l","pct_used":42.5,"reset_unix":1000,"observed_at":900}],)"
       R"("balances":[{"agent":"k","observed_at":950,"wallets":[{"kind":"bonus","currency":"CNY","amount":"8.40"}]}]},)"
       R"("history":{"days":[{"date":"2020-02-28"},{"date":"2020-02-29"}],"scanned_at":940}})",
       at, *utc,
       R"({"limits":{"windows":[{"agent":"a","label":"l","pct_used":42.5,"reset_unix":1796117450,"observed_at":1796117350}],)"
       R"("balances":[{"agent":"k","observed_at":1796117400,"wallets":[{"kind":"bonus","currency":"CNY","amount":"8.40"}]}]},)"
       R"("history":{"days":[{"date":"2026-11-30"},{"date":"2026-12-01"}],"scanned_at":1796117390}})"},
      // Today is the local day: 17:50 UTC is already the next day in Shanghai.
      {R"({"history":{"days":[{"date":"2026-01-01"}],"scanned_at":100.0}})", at + 30000, *shanghai,
       R"({"history":{"days":[{"date":"2026-12-02"}],"scanned_at":1796147400}})"},
      // Absent instants (below 1), values outside the format's places, unknown keys and a last entry that is no
      // day stay as written; with no reading at all, the instants stay too.
      {R"({"limits":{"windows":[{"reset_unix":0,"observed_at":-5,"x":{"observed_at":7}}]},"observed_at":3,)"
       R"("history":{"days":[{"date":"2026-01-01"},{"date":"2026-02-30"}],"note":[null,true,0.5]}})",
       at, *utc,
       R"({"limits":{"windows":[{"reset_unix":0,"observed_at":-5,"x":{"observed_at":7}}]},"observed_at":3,)"
       R"("history":{"days":[{"date":"2026-01-01"},{"date":"2026-02-30"}],"note":[null,true,0.5]}})"},
      {"\xEF\xBB\xBF{\"limits\":{\"windows\":[{\"reset_unix\":500}]}}", at, *utc,
       R"({"limits":{"windows":[{"reset_unix":500}]}})"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.report);
    EXPECT_EQ(shiftReport(c.report, c.at, c.zone), c.shifted + "\n");
  }
  EXPECT_THROW(shiftReport("{\"limits\":", at, *utc), JsonDecodingError);
  EXPECT_THROW(shiftReport("{}", 1e300, *utc), std::invalid_argument);
}

}  // namespace
}  // namespace velto::producer
