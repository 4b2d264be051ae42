// Tests of the content's blocks: quota, reset line, balance, recorded output, tint and quota label.
#include "UsageWidgetContent.h"

#include <gtest/gtest.h>

#include <cmath>

#include "Accessibility.h"
#include "Dump.h"

namespace velto {
namespace {

using namespace toolkit;

constexpr Instant now = 1796126400;  // 2026-12-01 12:00 UTC, the entry's date

UsageWidgetWindow window(double percent, std::optional<Instant> resetAt, std::optional<std::string> tier = {},
                         std::optional<Instant> observedAt = now - 60) {
  return {.label = "corvid 5h", .kind = "session", .percent = percent, .resetAt = resetAt, .observedAt = observedAt,
          .tier = std::move(tier)};
}

UsageWidgetContent content(std::vector<UsageWidgetAccount> accounts, bool chinese = false, Instant capturedAt = now - 60) {
  return UsageWidgetContent({.server = "lab", .capturedAt = capturedAt, .accounts = std::move(accounts)}, "", now,
                            UsageWidgetFamily::small, chinese, TextSize::large,
                            {platform::TimeZone::utc(), "en_US", std::nullopt});
}

const UsageWidgetAccount corvid{.id = "corvid:work", .agent = "corvid", .name = "Work", .observedAt = now - 60};

std::string dumpAll(const std::vector<Element>& children) {
  std::string out;
  for (const auto& child : children) out += dump(child);
  return out;
}

// The large figure with its bar and reset time is in the small widget's tree (UsageWidgetContentTests).
TEST(UsageWidgetContentQuota, SmallFigureWithoutResetSaysUsedQuota) {
  const auto quota = content({corvid}).quota(window(7, std::nullopt), corvid, false);
  EXPECT_EQ(describe(quota[1]),
            "Text(\"7%\") font=subheadline.semibold color=srgb(0.231, 0.51, 0.965) lineLimit=1 "
            "minimumScaleFactor=0.8 monospacedDigit");
  EXPECT_EQ(describe(quota[3]), "Text(\"Used quota\") font=caption2 color=secondary lineLimit=1");
}

// Reset exactly at the entry's date: the window has expired, so there is nothing current to show.
TEST(UsageWidgetContentQuota, WindowResetAtTheEntrysDateNeedsAnUpdate) {
  for (const bool chinese : {false, true}) {
    const auto c = content({corvid}, chinese);
    const auto expired = window(42.5, now, "full");
    EXPECT_EQ(dumpAll(c.quota(expired, corvid, true)),
              chinese ? "Text(\"会话额度\") font=caption2 color=secondary lineLimit=1\n"
                        "Text(\"等待更新\") font=subheadline.semibold lineLimit=1\n"
                        "Text(\"打开 velto 同步\") font=caption2 color=secondary lineLimit=1\n"
                      : "Text(\"Session\") font=caption2 color=secondary lineLimit=1\n"
                        "Text(\"Update needed\") font=subheadline.semibold lineLimit=1\n"
                        "Text(\"Open velto to sync\") font=caption2 color=secondary lineLimit=1\n");
    EXPECT_EQ(c.quotaLabel(expired, corvid), chinese ? "Work, 会话额度, 等待更新" : "Work, Session, Update needed");
    EXPECT_EQ(c.tint(expired, corvid), Color::secondary());
    const auto fresh = window(42.5, now + 1, "full");
    EXPECT_EQ(c.quotaLabel(fresh, corvid), chinese ? "Work, 会话额度, 42.5% 已用" : "Work, Session, 42.5% used");
    EXPECT_EQ(c.tint(fresh, corvid), Color::named(ColorName::red));
  }
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
      {"full window observed 899 s ago", window(90, {}, "full", now - 899), {}, now - 60, red},
      {"full window observed 900 s ago", window(90, {}, "full", now - 900), {}, now - 60, Color::secondary()},
      {"window observed 301 s ahead", window(90, {}, "full", now + 301), {}, now - 60, Color::secondary()},
      {"window without observation", window(90, {}, "full", std::nullopt), {}, now - 60, red},
      {"warn", window(90, {}, "warn"), {}, now - 60, Color::named(ColorName::orange)},
      {"other tier", window(90, {}, "Full"), {}, now - 60, Color::srgb(0.231, 0.51, 0.965)},
      {"account observed 900 s ago", window(90, {}, "full"), now - 900, now - 60, Color::secondary()},
      {"account observed ahead", window(90, {}, "full"), now + 3600, now - 60, red},
      {"snapshot captured 900 s ago", window(90, {}, "full"), {}, now - 900, Color::secondary()},
      {"snapshot captured 301 s ahead", window(90, {}, "full"), {}, now + 301, Color::secondary()},
  };
  for (const auto& c : cases) {
    auto account = corvid;
    account.observedAt = c.accountObservedAt;
    EXPECT_EQ(content({account}, false, c.capturedAt).tint(c.window, account), c.expected) << c.name;
  }
}

TEST(UsageWidgetContentNonQuota, BalanceFirstThenRecordedOutputThenNothing) {
  auto account = corvid;
  account.wallets = {{.kind = "bonus", .currency = "CNY", .amount = "0012.50"}, {.kind = "recharge", .currency = "CNY", .amount = "3"}};
  account.output = UsageWidgetOutput{.day = "2026-12-01", .today = 1500, .week = 2500000};
  const auto c = content({account});
  EXPECT_EQ(dump(c.nonQuota(account, true)),
            "VStack(leading, spacing: 5)\n"
            "  Text(\"Bonus\") font=caption2 color=secondary\n"
            "  Text(\"CNY 0012.50\") font=title3.semibold lineLimit=1 minimumScaleFactor=0.8 monospacedDigit\n");
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
  const auto texts = [&](Instant observedAt, bool chinese) {
    account.observedAt = observedAt;
    return accessibilityText(content({account}, chinese).nonQuota(account, true));
  };
  EXPECT_EQ(texts(now - 899, false), "Recharge\nUSD 5\n");
  EXPECT_EQ(texts(now - 900, false), "Recharge\nUSD 5\nLast reading\n");
  EXPECT_EQ(texts(now - 900, true), "充值\nUSD 5\n上次读数\n");
}

TEST(UsageWidgetContentRecorded, AbbreviatesTheCountsAndSpellsThemOutForAccessibility) {
  const UsageWidgetOutput yesterday{.day = "2026-11-30", .today = 184230, .week = 1093344};
  const auto c = content({corvid});
  EXPECT_EQ(dump(c.recorded(yesterday, corvid, true)),
            "VStack(leading, spacing: 4) accessibility(ignore) accessibilityLabel=\"Work, 2026-11-30 output 184230 "
            "tokens. Past 7 days 1093344 tokens. Local records.\"\n"
            "  Text(\"2026-11-30 output\") font=caption2 color=secondary lineLimit=1\n"
            "  HStack(bottom, spacing: 4)\n"
            "    Text(\"184.2K\") font=system(30).semibold.rounded lineLimit=1 minimumScaleFactor=0.8 monospacedDigit\n"
            "    VStack(leading, spacing: 0) font=caption2 color=secondary lineLimit=1 minimumScaleFactor=0.8\n"
            "      Text(\"Token\")\n"
            "      Text(\"Local records\")\n"
            "  Text(\"7 days 1.1M Token\") font=caption2 color=secondary lineLimit=1 minimumScaleFactor=0.8\n");

  const UsageWidgetOutput today{.day = "2026-12-01", .today = 999, .week = 1000};
  const auto chinese = content({corvid}, true).recorded(today, corvid, false);
  EXPECT_EQ(accessibilityText(chinese), "Work, 今日输出 999 Token，近 7 天 1000 Token。本机记录。\n");
  EXPECT_NE(dump(chinese).find("Text(\"999\") font=headline "), std::string::npos);
  EXPECT_NE(dump(chinese).find("Text(\"近 7 天 1K Token\")"), std::string::npos);
}

}  // namespace
}  // namespace velto
