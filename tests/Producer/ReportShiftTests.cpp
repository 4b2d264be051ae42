// Tests of moving a raw usage report in time: which values move, by how much, and what stays as written.
#include "ReportShift.h"

#include <gtest/gtest.h>

#include "Golden.h"
#include "JsonDecodingError.h"
#include "ZoneOrSkip.h"

namespace velto::producer {
namespace {

constexpr Instant at = 1796117400;  // 2026-12-01T09:30:00Z

TEST(ReportShift, InstantsMoveSoThatTheNewestReadingIsNowAndDaysSoThatTheLastIsToday) {
  ZONE_OR_SKIP(utc, "UTC");
  ZONE_OR_SKIP(shanghai, "Asia/Shanghai");
  const auto folder = std::filesystem::path(VELTO_FIXTURES_DIR) / "producer" / "shift";
  const struct {
    std::string name;  // the report <name>.json becomes <name>.txt
    Instant at;
    const platform::TimeZone& zone;
  } cases[] = {
      // The newest reading (950, a balance) lands on `at`; everything the format holds moves with it.
      {"every-place", at, *utc},
      // Today is the local day: 17:50 UTC is already the next day in Shanghai.
      {"local-day", at + 30000, *shanghai},
      // Absent instants (below 1), values outside the format's places, unknown keys and a last entry that is no
      // day stay as written; with no reading at all, the instants stay too.
      {"kept", at, *utc},
      {"byte-order-mark", at, *utc},
  };
  for (const auto& c : cases) {
    const std::string report = testing_support::readFile(folder / (c.name + ".json"));
    testing_support::expectGolden(folder / (c.name + ".txt"), shiftReport(report, c.at, c.zone));
  }
  EXPECT_THROW(shiftReport("{\"limits\":", at, *utc), JsonDecodingError);
  EXPECT_THROW(shiftReport("{}", 1e300, *utc), std::invalid_argument);
}

}  // namespace
}  // namespace velto::producer
