// Tests of the timeline provider and the configuration options, over a real store in a temporary folder.
#include "MacUsageProvider.h"

#include <gtest/gtest.h>

#include "TemporaryFolder.h"

namespace velto {
namespace {

using testing_support::TemporaryFolder;

constexpr Instant now = 1796126400;
const platform::TimeZone utc = platform::TimeZone::utc();

// Captured 600 s ago (stale at now + 300) with one window resetting at now + 3600: two transitions, the
// second beyond the reload instant.
UsageWidgetSnapshot twoTransitions() {
  UsageWidgetWindow window{.label = "5-hour", .kind = "session", .model = "", .percent = 40, .resetAt = now + 3600};
  return {.server = "local", .capturedAt = now - 600, .accounts = {
      {.id = "crane", .agent = "crane", .name = "Crane", .windows = {window}},
      {.id = "corvid", .agent = "corvid", .name = "Corvid Work"}}};
}

// With nothing stored, and always for the placeholder: one empty entry.
TEST(MacUsageProvider, NothingStoredGivesOneEmptyEntryAndReloadIn900Seconds) {
  const TemporaryFolder folder;
  const MacUsageEntry nothing{now, share(UsageWidgetSnapshot::empty()), ""};
  const auto timeline = MacUsageProvider::timeline({}, now, UsageSnapshotStore(folder.path()), utc);
  EXPECT_EQ(timeline, (MacUsageTimeline{{nothing}, now + 900}));
  EXPECT_EQ(MacUsageProvider::snapshot({}, now, UsageSnapshotStore(std::nullopt)), nothing);
  UsageSnapshotStore(folder.path()).write(twoTransitions());
  EXPECT_EQ(MacUsageProvider::placeholder(now), nothing);
}

// The dates of the entries and the reload date, as the host shows them, are in WidgetHostTests.
TEST(MacUsageProvider, TwoTransitionsGiveThreeEntriesWithTheSameSnapshotAndProvider) {
  const TemporaryFolder folder;
  UsageSnapshotStore(folder.path()).write(twoTransitions());
  const auto timeline = MacUsageProvider::timeline({.agent = "provider:crane"}, now, UsageSnapshotStore(folder.path()), utc);
  ASSERT_EQ(timeline.entries.size(), 3u);
  EXPECT_EQ(timeline.entries[2].date, now + 3600);  // beyond the reload date, still listed
  for (const auto& entry : timeline.entries) {
    EXPECT_EQ(*entry.snapshot, twoTransitions());
    EXPECT_EQ(entry.snapshot, timeline.entries[0].snapshot) << "one snapshot, shared, not a copy per entry";
    EXPECT_EQ(entry.provider, "crane");
  }
}

TEST(MacUsageOptions, AutomaticFirstThenEachAgentInSnapshotOrder) {
  const TemporaryFolder folder;
  EXPECT_EQ(MacUsageOptions::results(UsageSnapshotStore(folder.path()), true), (std::vector<MacUsageOption>{{"automatic", "自动"}}));
  UsageSnapshotStore(folder.path()).write(twoTransitions());
  EXPECT_EQ(MacUsageOptions::results(UsageSnapshotStore(folder.path()), false),
            (std::vector<MacUsageOption>{
                {"automatic", "Automatic"}, {"provider:crane", "Crane"}, {"provider:corvid", "Corvid Work"}}));
  EXPECT_EQ(MacUsageOptions::defaultResult(), "automatic");
}

}  // namespace
}  // namespace velto
