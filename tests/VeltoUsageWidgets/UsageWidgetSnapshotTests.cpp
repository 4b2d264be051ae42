// Tests of the snapshot records' equality and constants.
#include "UsageWidgetSnapshot.h"

#include <gtest/gtest.h>

#include <limits>

namespace velto {
namespace {

UsageWidgetAccount account(std::string id, std::string name) {
  return {.id = std::move(id), .agent = "crane", .name = std::move(name), .windows = {}, .wallets = {},
          .observedAt = std::nullopt, .output = std::nullopt};
}

TEST(UsageWidgetSnapshot, EmptyAndBuiltSnapshotsHaveSchemaOne) {
  const auto empty = UsageWidgetSnapshot::empty();
  EXPECT_EQ(empty.schema, 1);
  EXPECT_EQ(empty.server, "");
  EXPECT_EQ(empty.capturedAt, 0);
  EXPECT_TRUE(empty.accounts.empty());
  const UsageWidgetSnapshot built{.server = "local", .capturedAt = 5, .accounts = {}};
  EXPECT_EQ(built.schema, 1);
}

TEST(UsageWidgetSnapshot, TextComparesByCanonicalEquivalence) {
  // "é" precomposed (U+00E9) and as "e" + U+0301 are the same text.
  EXPECT_EQ(account("a", "Caf\u00e9"), account("a", "Cafe\u0301"));
  EXPECT_NE(account("a", "Cafe"), account("a", "Caf\u00e9"));
  UsageWidgetWallet precomposed{.kind = "bonus", .currency = "\u00c5", .amount = "1"};
  UsageWidgetWallet decomposed{.kind = "bonus", .currency = "A\u030a", .amount = "1"};
  EXPECT_EQ(precomposed, decomposed);
}

TEST(UsageWidgetSnapshot, AccountOrderMatters) {
  const UsageWidgetSnapshot ab{.server = "s", .capturedAt = 1, .accounts = {account("a", "A"), account("b", "B")}};
  const UsageWidgetSnapshot ba{.server = "s", .capturedAt = 1, .accounts = {account("b", "B"), account("a", "A")}};
  EXPECT_NE(ab, ba);
  EXPECT_EQ(ab, ab);
}

TEST(UsageWidgetWindow, EqualityCoversEveryField) {
  const UsageWidgetWindow base{.label = "L", .kind = "k", .model = "", .percent = 0, .resetAt = 1,
                               .observedAt = 2, .tier = "warn"};
  auto negativeZero = base;
  negativeZero.percent = -0.0;
  EXPECT_EQ(base, negativeZero);

  std::vector<UsageWidgetWindow> different(7, base);
  different[0].label = "M";
  different[1].kind = "j";
  different[2].model = "m";
  different[3].percent = 1;
  different[4].resetAt.reset();
  different[5].observedAt = 3;
  different[6].tier.reset();
  for (const auto& window : different) EXPECT_NE(window, base);

  auto notANumber = base;
  notANumber.percent = std::numeric_limits<double>::quiet_NaN();
  EXPECT_NE(notANumber, notANumber);
}

TEST(UsageWidgetAccount, OptionalRecordsTakePartInEquality) {
  auto withOutput = account("a", "A");
  withOutput.output = UsageWidgetOutput{.day = "2026-12-01", .today = 1, .week = 2};
  EXPECT_NE(withOutput, account("a", "A"));
  auto otherWeek = withOutput;
  otherWeek.output->week = 3;
  EXPECT_NE(withOutput, otherWeek);
}

}  // namespace
}  // namespace velto
