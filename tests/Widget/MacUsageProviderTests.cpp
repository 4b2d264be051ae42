// Tests of the timeline provider and the configuration options, over a real store in a temporary folder.
#include "MacUsageProvider.h"

#include <gtest/gtest.h>

#include "TemporaryFolder.h"

namespace velto {
namespace {

using testing_support::TemporaryFolder;

constexpr Instant now = 1796126400;
const platform::TimeZone utc = platform::TimeZone::utc();

// Two agents, in this order.
UsageWidgetSnapshot twoAgents() {
  return {.server = "local", .capturedAt = now, .accounts = {{.id = "crane", .agent = "crane", .name = "Crane"},
                                                              {.id = "corvid", .agent = "corvid", .name = "Corvid Work"}}};
}

// With nothing stored, and always for the placeholder: one empty entry. The entries of a stored snapshot are
// dated in WidgetHostTests and listed by the command line's timeline test.
TEST(MacUsageProvider, NothingStoredGivesOneEmptyEntryAndReloadIn900Seconds) {
  const TemporaryFolder folder;
  const MacUsageEntry nothing{now, share(UsageWidgetSnapshot::empty()), ""};
  const auto timeline = MacUsageProvider::timeline({}, now, UsageSnapshotStore(folder.path()), utc);
  EXPECT_EQ(timeline, (MacUsageTimeline{{nothing}, now + 900}));
  EXPECT_EQ(MacUsageProvider::snapshot({}, now, UsageSnapshotStore(std::nullopt)), nothing);
  UsageSnapshotStore(folder.path()).write(twoAgents());
  EXPECT_EQ(MacUsageProvider::placeholder(now), nothing);
}

TEST(MacUsageOptions, AutomaticFirstThenEachAgentInSnapshotOrder) {
  const TemporaryFolder folder;
  EXPECT_EQ(MacUsageOptions::results(UsageSnapshotStore(folder.path()), true), (std::vector<MacUsageOption>{{"automatic", "自动"}}));
  UsageSnapshotStore(folder.path()).write(twoAgents());
  EXPECT_EQ(MacUsageOptions::results(UsageSnapshotStore(folder.path()), false),
            (std::vector<MacUsageOption>{
                {"automatic", "Automatic"}, {"provider:crane", "Crane"}, {"provider:corvid", "Corvid Work"}}));
  EXPECT_EQ(MacUsageOptions::defaultResult(), "automatic");
}

}  // namespace
}  // namespace velto
