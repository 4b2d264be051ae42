// Tests of staleness, expiry and the instants at which the widget's face changes by itself.
#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <utility>

#include "UsageWidgetSnapshot.h"

namespace velto {
namespace {

constexpr Instant now = 1796126400;  // 2026-12-01T12:00:00Z
const platform::TimeZone utc = platform::TimeZone::utc();
constexpr Instant nextUtcMidnight = 1796169600;  // 2026-12-02T00:00:00Z

UsageWidgetWindow window(std::optional<Instant> resetAt, std::optional<Instant> observedAt = std::nullopt) {
  return {.label = "5-hour", .kind = "session", .model = "", .percent = 10, .resetAt = resetAt,
          .observedAt = observedAt};
}

UsageWidgetAccount account(std::string id, std::vector<UsageWidgetWindow> windows = {},
                           std::optional<Instant> observedAt = std::nullopt, bool withOutput = false) {
  UsageWidgetAccount result{.id = std::move(id), .agent = "crane", .name = "Crane", .windows = std::move(windows),
                            .observedAt = observedAt};
  if (withOutput) result.output = UsageWidgetOutput{.day = "2026-12-01", .today = 1, .week = 1};
  return result;
}

UsageWidgetSnapshot capturedAt(Instant captured, std::vector<UsageWidgetAccount> accounts = {}) {
  return {.server = "local", .capturedAt = captured, .accounts = std::move(accounts)};
}

// A snapshot's capture and a window's observation turn stale alike. The window's reset is long past: an expired
// window is not thereby stale.
TEST(Staleness, From900SecondsOldOrOverFiveMinutesAhead) {
  const std::pair<Instant, bool> rows[] = {
      {now, false}, {now - 899.5, false}, {now - 900, true}, {now + 300, false}, {now + 300.5, true}};
  for (const auto& [at, stale] : rows) {
    SCOPED_TRACE(at - now);
    EXPECT_EQ(capturedAt(at).isStale(now), stale);
    EXPECT_EQ(window(now - 10'000, at).stale(now), stale);
  }
  EXPECT_TRUE(capturedAt(0).isStale(now)) << "never captured";
  EXPECT_FALSE(window(now - 10'000).stale(now)) << "never observed";
}

// A window observed long ago, so that a stale one is shown not to be thereby expired.
TEST(UsageWidgetWindow, ExpiredOnceTheResetTimeHasCome) {
  const std::pair<std::optional<Instant>, bool> rows[] = {
      {std::nullopt, false}, {now - 1, true}, {now, true}, {now + 0.5, false}};
  for (const auto& [resetAt, expired] : rows) {
    EXPECT_EQ(window(resetAt, now - 10'000).expired(now), expired) << resetAt.value_or(0) - now;
  }
}

TEST(UsageWidgetSnapshotTransitionDates, CandidatesAreFilteredMergedAndSorted) {
  const auto snapshot = capturedAt(
      now - 600, {account("a:1",
                          {
                              window(now + 3600, now - 100),  // reset, and stale at now + 800
                              window(now + 3600),             // same reset; stale with the snapshot
                              window(now, now - 900),         // reset at the reference instant; stale before
                              window(now - 10, now - 500),    // reset passed; stale at now + 400
                          },
                          /*observedAt=*/now - 200)});
  EXPECT_EQ(snapshot.transitionDates(now, utc), (std::vector<Instant>{now + 300, now + 400, now + 700, now + 800,
                                                                      now + 3600}));
  // Non-finite candidates are dropped.
  const double infinity = std::numeric_limits<double>::infinity();
  const double notANumber = std::numeric_limits<double>::quiet_NaN();
  const auto nonFinite = capturedAt(now, {account("a:1", {window(infinity, notANumber)})});
  EXPECT_EQ(nonFinite.transitionDates(now, utc), std::vector<Instant>{now + 900});
}

TEST(UsageWidgetSnapshotTransitionDates, NextLocalMidnightIsListedOnceForManyOutputs) {
  const auto snapshot = capturedAt(now, {account("a:1", {}, now, true), account("a:2", {}, now, true)});
  EXPECT_EQ(snapshot.transitionDates(now, utc), (std::vector<Instant>{now + 900, nextUtcMidnight}));
}

TEST(UsageWidgetSnapshotTransitionDates, KeepsTheTwelveEarliest) {
  std::vector<UsageWidgetWindow> windows;
  for (int i = 20; i >= 1; --i) windows.push_back(window(now + 1000 * i, now));  // each stale at now + 900
  const auto dates = capturedAt(now, {account("a:1", windows)}).transitionDates(now, utc);
  std::vector<Instant> expected{now + 900};
  for (int i = 1; i <= 11; ++i) expected.push_back(now + 1000 * i);
  EXPECT_EQ(dates, expected);
}

}  // namespace
}  // namespace velto
