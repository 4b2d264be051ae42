// Tests of the snapshot records' equality: every field counts, and texts compare by canonical equivalence.
#include "UsageWidgetSnapshot.h"

#include <gtest/gtest.h>

#include <limits>

namespace velto {
namespace {

using Change = void (*)(UsageWidgetSnapshot&);

TEST(UsageWidgetSnapshot, EqualityCoversEveryFieldAndComparesTextsCanonically) {
  const UsageWidgetWindow window{.label = "L", .kind = "k", .model = "", .percent = 0, .resetAt = 1,
                                 .observedAt = 2, .tier = "warn"};
  const UsageWidgetAccount account{.id = "a", .agent = "crane", .name = "Caf\u00e9", .windows = {window},
                                   .wallets = {{.kind = "bonus", .currency = "\u00c5", .amount = "1"}},
                                   .observedAt = 3,
                                   .output = UsageWidgetOutput{.day = "2026-12-01", .today = 1, .week = 2}};
  const UsageWidgetSnapshot base{.server = "s", .capturedAt = 1, .accounts = {account, {.id = "b"}}};

  // "é" precomposed (U+00E9) and as "e" + U+0301 are the same text; -0.0 is the same percentage as 0.
  auto same = base;
  same.accounts[0].name = "Cafe\u0301";
  same.accounts[0].wallets[0].currency = "A\u030a";
  same.accounts[0].windows[0].percent = -0.0;
  EXPECT_EQ(same, base);

  const Change changes[] = {
      [](UsageWidgetSnapshot& s) { s.schema = 2; },
      [](UsageWidgetSnapshot& s) { s.server = "t"; },
      [](UsageWidgetSnapshot& s) { s.capturedAt = 2; },
      [](UsageWidgetSnapshot& s) { std::swap(s.accounts[0], s.accounts[1]); },
      [](UsageWidgetSnapshot& s) { s.accounts[0].id = "c"; },
      [](UsageWidgetSnapshot& s) { s.accounts[0].agent = "kelp"; },
      [](UsageWidgetSnapshot& s) { s.accounts[0].name = "Cafe"; },
      [](UsageWidgetSnapshot& s) { s.accounts[0].windows.clear(); },
      [](UsageWidgetSnapshot& s) { s.accounts[0].wallets.clear(); },
      [](UsageWidgetSnapshot& s) { s.accounts[0].observedAt.reset(); },
      [](UsageWidgetSnapshot& s) { s.accounts[0].output.reset(); },
      [](UsageWidgetSnapshot& s) { s.accounts[0].output->day = "2026-12-02"; },
      [](UsageWidgetSnapshot& s) { s.accounts[0].output->today = 3; },
      [](UsageWidgetSnapshot& s) { s.accounts[0].output->week = 3; },
      [](UsageWidgetSnapshot& s) { s.accounts[0].wallets[0].kind = "gift"; },
      [](UsageWidgetSnapshot& s) { s.accounts[0].wallets[0].currency = "A"; },
      [](UsageWidgetSnapshot& s) { s.accounts[0].wallets[0].amount = "2"; },
      [](UsageWidgetSnapshot& s) { s.accounts[0].windows[0].label = "M"; },
      [](UsageWidgetSnapshot& s) { s.accounts[0].windows[0].kind = "j"; },
      [](UsageWidgetSnapshot& s) { s.accounts[0].windows[0].model = "m"; },
      [](UsageWidgetSnapshot& s) { s.accounts[0].windows[0].percent = 1; },
      [](UsageWidgetSnapshot& s) { s.accounts[0].windows[0].resetAt.reset(); },
      [](UsageWidgetSnapshot& s) { s.accounts[0].windows[0].observedAt = 3; },
      [](UsageWidgetSnapshot& s) { s.accounts[0].windows[0].tier.reset(); },
      [](UsageWidgetSnapshot& s) { s.accounts[0].windows[0].tier = "full"; },
      [](UsageWidgetSnapshot& s) { s.accounts[0].windows[0].percent = std::numeric_limits<double>::quiet_NaN(); },
  };
  for (std::size_t i = 0; i < std::size(changes); ++i) {
    auto changed = base;
    changes[i](changed);
    EXPECT_NE(changed, base) << "change " << i;
    EXPECT_NE(base, changed) << "change " << i;
  }
}

TEST(UsageWidgetSnapshot, EmptyIsSchemaOneWithNothingInIt) {
  EXPECT_EQ(UsageWidgetSnapshot::empty(), (UsageWidgetSnapshot{.server = "", .capturedAt = 0, .accounts = {}}));
}

}  // namespace
}  // namespace velto
