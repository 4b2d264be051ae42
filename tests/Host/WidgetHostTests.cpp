// Tests of the widget host stand-in and its live loop, driven by an injected clock.
#include "WidgetHost.h"

#include <gtest/gtest.h>

#include "LiveWidget.h"
#include "TemporaryFolder.h"

namespace velto {
namespace {

using testing_support::TemporaryFolder;

constexpr Instant start = 1796126400;

class WidgetHostTest : public ::testing::Test {
 protected:
  WidgetHostTest()
      : host_([this] { return now_; },
              [this] {
                ++requests_;
                return UsageSnapshotStore(folder_.path());
              },
              platform::TimeZone::utc()) {}

  // Stale at start + 300, resets at start + 600 (both within the reload interval).
  void store() {
    UsageWidgetWindow window{.label = "5-hour", .kind = "session", .model = "", .percent = 40, .resetAt = start + 600};
    UsageSnapshotStore(folder_.path()).write({.server = "local", .capturedAt = start - 600, .accounts = {
        {.id = "crane", .agent = "crane", .name = "crane", .windows = {window}}}});
  }

  TemporaryFolder folder_;
  Instant now_ = start;
  int requests_ = 0;
  WidgetHost host_;
};

// Each entry's own date and the next change the host names are in the live loop's test below.
TEST_F(WidgetHostTest, ShowsTheLastEntryWhoseDateHasComeWithoutAskingAgainAndKeepsEachConfiguration) {
  store();
  const auto automatic = host_.place();
  EXPECT_EQ(host_.current(automatic).date, start);
  now_ = start + 299.5;
  EXPECT_EQ(host_.current(automatic).date, start);
  now_ = start + 899;
  EXPECT_EQ(host_.current(automatic).date, start + 600);
  EXPECT_EQ(requests_, 1);

  const auto corvid = host_.place({.agent = "provider:corvid"});
  EXPECT_EQ(host_.current(automatic).provider, "");
  EXPECT_EQ(host_.current(corvid).provider, "corvid");
  host_.configure(corvid, {.agent = "provider:crane"});
  EXPECT_EQ(host_.current(corvid).provider, "crane");
  EXPECT_EQ(host_.configuration(automatic).agent, std::nullopt);
  EXPECT_EQ(host_.options(false).size(), 2u);
  EXPECT_THROW(host_.current(7), std::out_of_range);
}

// What the host hands out stays valid whatever the host does next: more widgets placed (its storage grows), or
// a new timeline asked for (the old one goes). A reference into either would read freed memory here.
TEST_F(WidgetHostTest, WhatTheHostHandsOutOutlivesLaterPlacesAndReloads) {
  store();
  const auto widget = host_.place({.agent = "provider:crane"});
  const auto& entry = host_.current(widget);
  const auto& configuration = host_.configuration(widget);
  for (int more = 0; more < 64; ++more) host_.place();
  host_.snapshotChanged();
  now_ = start + 900;
  EXPECT_EQ(host_.current(widget).date, start + 900);
  EXPECT_EQ(entry.date, start);
  EXPECT_EQ(entry.snapshot->accounts.size(), 1u);
  EXPECT_EQ(configuration.agent, "provider:crane");
}

// The live loop over a scripted waiter: each wait moves the clock to the deadline (or says the file changed,
// or stops), as the real waiter would after sleeping. A host that kept its timeline after the change would show
// the old one's reload date next.
TEST_F(WidgetHostTest, LiveWidgetShowsEachEntryOnceAtItsDateAndReloadsOnChange) {
  store();
  const auto widget = host_.place();
  std::vector<Instant> shownDates;
  int waits = 0;
  const auto shown = runLiveWidget(
      host_, widget,
      [&](Instant until) {
        ++waits;
        if (waits == 3) {  // at start + 600 the file is replaced by one for two agents
          UsageWidgetWindow window{.label = "Weekly", .kind = "weekly", .model = "", .percent = 10};
          auto snapshot = UsageSnapshotStore(folder_.path()).read().value();
          snapshot.accounts.push_back({.id = "corvid", .agent = "corvid", .name = "corvid", .windows = {window}});
          UsageSnapshotStore(folder_.path()).write(snapshot);
          return WaitResult::changed;
        }
        if (waits == 6) return WaitResult::stop;
        now_ = until;
        return WaitResult::timeout;
      },
      [&](const MacUsageEntry& entry) { shownDates.push_back(entry.date); });
  // start; start + 300 (stale); start + 600 (reset); the change: a new timeline (two agents now) shown at once,
  // with nothing left to come but its reload 900 seconds later, and the next.
  EXPECT_EQ(shownDates,
            (std::vector<Instant>{start, start + 300, start + 600, start + 600, start + 1500, start + 2400}));
  EXPECT_EQ(shown, 6u);
}

}  // namespace
}  // namespace velto
