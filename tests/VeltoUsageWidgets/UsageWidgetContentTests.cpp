// Tests of the content: layout choice, empty state, the small and medium layouts, and the blocks they are built of.
#include "UsageWidgetContent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "Accessibility.h"
#include "Dump.h"
#include "Golden.h"
#include "VisibleText.h"

namespace velto {
namespace {

using namespace toolkit;
using testing_support::expectGolden;

// The trees written out, one file each.
const std::filesystem::path goldens = std::filesystem::path(VELTO_FIXTURES_DIR) / "content";

constexpr Instant now = 1796126400;  // 2026-12-01 12:00 UTC, the entry's date

UsageWidgetWindow window(std::string kind, double percent, std::optional<Instant> observedAt = now - 60) {
  return {.label = kind, .kind = kind, .percent = percent, .resetAt = now + 3600, .observedAt = observedAt};
}

UsageWidgetAccount account(std::string id, std::string agent, std::vector<UsageWidgetWindow> windows = {}) {
  return {.id = id, .agent = std::move(agent), .name = "Name " + id, .windows = std::move(windows),
          .observedAt = now - 60};
}

struct Options {
  std::string provider;
  std::string server = "lab";
  UsageWidgetFamily family = UsageWidgetFamily::small;
  TextSize textSize = TextSize::large;
  bool chinese = false;
  Instant capturedAt = now - 60;
};

UsageWidgetContent content(std::vector<UsageWidgetAccount> accounts, const Options& options = {}) {
  return UsageWidgetContent({.server = options.server, .capturedAt = options.capturedAt, .accounts = std::move(accounts)},
                            options.provider, now, options.family, options.chinese, options.textSize,
                            {platform::TimeZone::utc(), "en_US", std::nullopt});
}

bool shows(const std::vector<Element>& children, std::string_view text) {
  const auto all = visibleTexts(VStack(HorizontalAlignment::leading, 9, children));
  return std::find(all.begin(), all.end(), text) != all.end();
}

// The trees of several siblings, one after another.
std::string dumpAll(const std::vector<Element>& children) {
  std::string out;
  for (const auto& child : children) out += dump(child);
  return out;
}

TEST(UsageWidgetContent, BodyPicksTheLayoutBeforeCappingTheTextSize) {
  const std::vector accounts = {account("a:1", "corvid", {window("day", 10)}), account("b:1", "crane")};
  const std::string small = "VStack(leading, spacing: 6) textSize=small...large";
  const std::string accessible = "VStack(leading, spacing: 5) textSize=small...large";
  const std::pair<Options, std::string> cases[] = {
      {{.textSize = TextSize::xLarge}, small},
      {{.textSize = TextSize::xxLarge}, accessible},
      {{.textSize = TextSize::accessibility5}, accessible},
      {{.family = UsageWidgetFamily::large}, small},  // the large family is drawn small
      {{.family = UsageWidgetFamily::medium, .textSize = TextSize::accessibility3},
       "VStack(leading, spacing: 9) textSize=small...large"},
      // An agent without accounts gets the empty state.
      {{.provider = "gannet"}, small + " frame(maxWidth: infinity, maxHeight: infinity, alignment: leading) "
                                       "accessibility(combine)"},
  };
  for (const auto& [options, expectedTop] : cases) {
    EXPECT_EQ(describe(content(accounts, options).body()), expectedTop + " url=\"velto://usage\" privacySensitive");
  }
}

TEST(UsageWidgetContent, EmptyStateHintDependsOnWhetherAnAgentIsConfigured) {
  expectGolden(goldens / "empty.txt", dump(content({}).emptyHome()));
  EXPECT_EQ(accessibilityText(content({account("a:1", "corvid")}, {.provider = "crane"}).body()),
            "velto, Usage unavailable, This server has no current reading for this agent.\n");
  EXPECT_EQ(accessibilityText(content({}, {.provider = "crane", .chinese = true}).body()),
            "velto, 暂无用量数据, 当前服务器未提供此 Agent 的读数。\n");
}

TEST(UsageWidgetContent, SmallShowsTheFirstAccountsFirstWindow) {
  const auto c = content({account("a:1", "corvid", {window("week", 42), window("day", 7)}), account("b:1", "crane")});
  expectGolden(goldens / "small.txt", dump(c.body()));
  EXPECT_EQ(accessibilityText(c.body()), "Name a:1\nlab\nName a:1, Weekly, 42% used\nUpdated\n11:59\u202fAM\n");
}

// At very large text sizes: fixed point sizes, no bar and no reset line; a reset at the entry's date is expired.
TEST(UsageWidgetContent, AccessibleSmallUsesFixedSizesAndShowsUpdateNeededOnceReset) {
  auto expired = window("week", 42);
  expired.resetAt = now;
  const auto c = content({account("a:1", "corvid", {expired})}, {.textSize = TextSize::xxLarge});
  expectGolden(goldens / "accessible-small.txt", dumpAll(c.accessibleSmall(c.snapshot.accounts[0])));
  EXPECT_EQ(accessibilityText(c.body()), "Name a:1\nlab\nWeekly\nUpdate needed\nLast reading\n11:59\u202fAM\n");

  const auto fresh = content({account("a:1", "corvid", {window("week", 42)})}, {.textSize = TextSize::xxLarge});
  EXPECT_EQ(describe(fresh.accessibleSmall(fresh.snapshot.accounts[0])[4]),
            "Text(\"42%\") font=system(36).semibold.rounded color=srgb(0.231, 0.51, 0.965) lineLimit=1 "
            "minimumScaleFactor=0.8 monospacedDigit");
}

TEST(UsageWidgetContent, UpdatedLineReadsLastReadingWhenAnythingIsStale) {
  struct Case {
    const char* name;
    std::optional<Instant> accountObservedAt;
    std::vector<UsageWidgetWindow> windows;
    std::string expected;
  };
  auto expired = window("day", 5);
  expired.resetAt = now;
  const Case cases[] = {
      {"account 899 s ago", now - 899, {window("day", 5)}, "Updated\n11:45\u202fAM\n"},
      {"account 900 s ago, fresh windows", now - 900, {window("day", 5)}, "Last reading\n11:45\u202fAM\n"},
      // Without an account time the earliest window reading (10:00, not 10:05) is the account's.
      {"earliest window time", std::nullopt, {window("day", 5, now - 6900), window("week", 5, now - 7200)},
       "Last reading\n10:00\u202fAM\n"},
      {"expired window", now - 60, {window("week", 5), expired}, "Last reading\n11:59\u202fAM\n"},
      {"snapshot time", std::nullopt, {}, "Updated\n11:59\u202fAM\n"},
  };
  for (const auto& c : cases) {
    auto a = account("a:1", "corvid", c.windows);
    a.observedAt = c.accountObservedAt;
    const auto line = content({a}).updated(a);
    EXPECT_EQ(accessibilityText(line), c.expected) << c.name;
    const bool clock = describe(line.children()[0]) == "Image(symbol \"clock\") font=caption2";
    EXPECT_EQ(clock, c.expected.starts_with("Last reading")) << c.name;
  }
}

TEST(UsageWidgetContentMedium, EveryAgentWithTwoOrMoreAccountsSideBySide) {
  const auto a = account("a:1", "corvid", {window("week", 42)});
  const auto b = account("b:1", "kelp");
  const auto two = content({a, b}, {.family = UsageWidgetFamily::medium}).medium(a);
  expectGolden(goldens / "medium-two-agents.txt", dumpAll(two));

  const auto c = account("c:1", "crane");
  const auto d = account("d:1", "crane");
  const auto count = [&](std::vector<UsageWidgetAccount> accounts, bool chinese) {
    const auto footer = content(accounts, {.family = UsageWidgetFamily::medium, .chinese = chinese}).medium(a)[3];
    return describe(footer.children().back());
  };
  EXPECT_EQ(count({a, b, c, d, account("e:1", "quay")}, false), "Text(\"+3 more\") font=caption2 color=secondary");
  EXPECT_EQ(count({a, b, c}, true), "Text(\"另有 1 项\") font=caption2 color=secondary");
}

TEST(UsageWidgetContentMedium, ConfiguredAgentShowsItsFirstAccountAloneWithItsNextWindows) {
  const auto first = account("a:1", "corvid", {window("week", 42), window("day", 7), window("hour", 3),
                                               window("month", 99)});
  const auto second = account("a:2", "corvid", {window("week", 1)});
  const auto c = content({first, account("b:1", "crane"), second},
                         {.provider = "corvid", .family = UsageWidgetFamily::medium});
  expectGolden(goldens / "medium-configured.txt", dumpAll(c.medium(first)));
}

TEST(UsageWidgetContentMedium, OneWindowAndThreeWalletsListsWalletsTwoAndThree) {
  auto a = account("a:1", "kelp", {window("week", 42)});
  a.wallets = {{.kind = "recharge", .currency = "CNY", .amount = "1.00"},
               {.kind = "bonus", .currency = "CNY", .amount = "2.00"},
               {.kind = "gift", .currency = "USD", .amount = "3"}};
  const auto children = content({a}, {.family = UsageWidgetFamily::medium}).medium(a);
  expectGolden(goldens / "medium-wallets.txt", dump(children[1].children()[1]));
  EXPECT_FALSE(shows(children, "CNY 1.00"));
  EXPECT_FALSE(shows(children, "Recharge"));
  EXPECT_TRUE(shows(children, "42%"));

  a.wallets.pop_back();
  a.wallets.pop_back();  // one wallet and one window: the left column alone
  EXPECT_EQ(content({a}, {.family = UsageWidgetFamily::medium}).medium(a)[1].children().size(), 1u);
}

// A stored amount may end in a line terminator and a clean text may hold U+2028 inside. The dump holds every
// text, label and accessibility label of the tree, which every renderer reads: none of them may show one.
TEST(UsageWidgetContent, ShownTextsHoldNoControlsOrLineSeparatorsFromTheSnapshot) {
  UsageWidgetAccount balance = account("quill-balance-0", "quill");
  balance.name = "Qu\u2028ill";
  balance.wallets = {{.kind = "bo\u2029nus", .currency = "C\u2028NY", .amount = "86.40\r\n"},
                     {.kind = "gift", .currency = "CNY", .amount = "12\u0085"}};
  UsageWidgetAccount windows = account("orca", "orca", {window("week", 40), window("day", 10)});
  windows.windows[0].label = "Week\u2028ly";
  windows.windows[1].kind = "week-model";
  windows.windows[1].model = "re\u2028ef";
  const std::pair<UsageWidgetAccount, std::string> cases[] = {{balance, "CNY 86.40"}, {windows, "Weekly"}};
  for (const auto& [shown, visible] : cases) {
    for (const auto family : {UsageWidgetFamily::small, UsageWidgetFamily::medium}) {
      const std::string tree = dump(content({shown}, {.server = "l\u2029ab", .family = family}).body());
      SCOPED_TRACE(tree);
      for (const std::string_view control : {"\\u{", "\u0085", "\u2028", "\u2029"}) {
        EXPECT_EQ(tree.find(control), std::string::npos) << control;
      }
      EXPECT_NE(tree.find(visible), std::string::npos);
    }
  }
}

// --- The blocks: quota, reset line, balance, recorded output, tint and quota label --------------------------

UsageWidgetWindow session(double percent, std::optional<Instant> resetAt, std::optional<std::string> tier = {},
                          std::optional<Instant> observedAt = now - 60) {
  return {.label = "corvid 5h", .kind = "session", .percent = percent, .resetAt = resetAt, .observedAt = observedAt,
          .tier = std::move(tier)};
}

const UsageWidgetAccount corvid{.id = "corvid:work", .agent = "corvid", .name = "Work", .observedAt = now - 60};

// The large figure with its bar and reset time is in the small widget's tree above.
TEST(UsageWidgetContentQuota, SmallFigureWithoutResetSaysUsedQuota) {
  const auto quota = content({corvid}).quota(session(7, std::nullopt), corvid, false);
  expectGolden(goldens / "quota-small-no-reset.txt", dumpAll(quota));
}

// Reset exactly at the entry's date: the window has expired, so there is nothing current to show.
TEST(UsageWidgetContentQuota, WindowResetAtTheEntrysDateNeedsAnUpdate) {
  const auto c = content({corvid});
  const auto expired = session(42.5, now, "full");
  expectGolden(goldens / "quota-expired.txt", dumpAll(c.quota(expired, corvid, true)));
  EXPECT_EQ(c.quotaLabel(expired, corvid), "Work, Session, Update needed");
  EXPECT_EQ(c.tint(expired, corvid), Color::secondary());
  const auto fresh = session(42.5, now + 1, "full");
  EXPECT_EQ(c.quotaLabel(fresh, corvid), "Work, Session, 42.5% used");
  EXPECT_EQ(c.tint(fresh, corvid), Color::named(ColorName::red));
}

TEST(UsageWidgetContentQuota, BarFractionIsClamped) {
  const std::pair<double, double> cases[] = {{0, 0},   {42.5, 0.425}, {100, 1},          {250, 1},
                                             {-5, 0},  {1000, 1},     {std::nan(""), 0}, {0.01, 0.0001}};
  for (const auto& [percent, fraction] : cases) EXPECT_EQ(UsageWidgetContent::barFraction(percent), fraction) << percent;
}

TEST(UsageWidgetContentTint, SecondaryOnceAnythingIsOutOfDateElseByTier) {
  struct Case {
    const char* name;
    UsageWidgetWindow window;
    std::optional<Instant> accountObservedAt;
    Instant capturedAt;
    Color expected;
  };
  const auto red = Color::named(ColorName::red);
  const Case cases[] = {
      {"full window observed 899 s ago", session(90, {}, "full", now - 899), {}, now - 60, red},
      {"full window observed 900 s ago", session(90, {}, "full", now - 900), {}, now - 60, Color::secondary()},
      {"window observed 301 s ahead", session(90, {}, "full", now + 301), {}, now - 60, Color::secondary()},
      {"window without observation", session(90, {}, "full", std::nullopt), {}, now - 60, red},
      {"warn", session(90, {}, "warn"), {}, now - 60, Color::named(ColorName::orange)},
      {"other tier", session(90, {}, "Full"), {}, now - 60, Color::srgb(0.231, 0.51, 0.965)},
      {"account observed 900 s ago", session(90, {}, "full"), now - 900, now - 60, Color::secondary()},
      {"account observed ahead", session(90, {}, "full"), now + 3600, now - 60, red},
      {"snapshot captured 900 s ago", session(90, {}, "full"), {}, now - 900, Color::secondary()},
      {"snapshot captured 301 s ahead", session(90, {}, "full"), {}, now + 301, Color::secondary()},
  };
  for (const auto& c : cases) {
    auto account = corvid;
    account.observedAt = c.accountObservedAt;
    EXPECT_EQ(content({account}, {.capturedAt = c.capturedAt}).tint(c.window, account), c.expected) << c.name;
  }
}

TEST(UsageWidgetContentNonQuota, BalanceFirstThenRecordedOutputThenNothing) {
  auto account = corvid;
  account.wallets = {{.kind = "bonus", .currency = "CNY", .amount = "0012.50"}, {.kind = "recharge", .currency = "CNY", .amount = "3"}};
  account.output = UsageWidgetOutput{.day = "2026-12-01", .today = 1500, .week = 2500000};
  const auto c = content({account});
  expectGolden(goldens / "balance.txt", dump(c.nonQuota(account, true)));
  EXPECT_EQ(describe(c.balance(account, false)[1]),
            "Text(\"CNY 0012.50\") font=subheadline.semibold lineLimit=1 minimumScaleFactor=0.8 monospacedDigit");

  account.wallets.clear();
  EXPECT_EQ(c.nonQuota(account, true), c.recorded(*account.output, account, true));
  account.output.reset();
  EXPECT_TRUE(isEmpty(c.nonQuota(account, true)));
}

TEST(UsageWidgetContentNonQuota, BalanceSaysLastReadingWhenTheAccountIsStale) {
  auto account = corvid;
  account.wallets = {{.kind = "recharge", .currency = "USD", .amount = "5"}};
  const auto texts = [&](Instant observedAt) {
    account.observedAt = observedAt;
    return accessibilityText(content({account}).nonQuota(account, true));
  };
  EXPECT_EQ(texts(now - 899), "Recharge\nUSD 5\n");
  EXPECT_EQ(texts(now - 900), "Recharge\nUSD 5\nLast reading\n");
}

TEST(UsageWidgetContentRecorded, AbbreviatesTheCountsAndSpellsThemOutForAccessibility) {
  const UsageWidgetOutput yesterday{.day = "2026-11-30", .today = 184230, .week = 1093344};
  const auto c = content({corvid});
  expectGolden(goldens / "recorded.txt", dump(c.recorded(yesterday, corvid, true)));

  const UsageWidgetOutput today{.day = "2026-12-01", .today = 999, .week = 1000};
  const auto chinese = content({corvid}, {.chinese = true}).recorded(today, corvid, false);
  EXPECT_EQ(accessibilityText(chinese), "Work, 今日输出 999 Token，近 7 天 1000 Token。本机记录。\n");
  EXPECT_NE(dump(chinese).find("Text(\"999\") font=headline "), std::string::npos);
  EXPECT_NE(dump(chinese).find("Text(\"近 7 天 1K Token\")"), std::string::npos);
}

}  // namespace
}  // namespace velto
