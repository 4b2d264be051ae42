// Tests of the status-bar entry for the widget's real views: a sample snapshot and the empty state.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"

#include "MacUsageEntryView.h"
#include "SnapshotJson.h"
#include "Waybar.h"

namespace velto::render {
namespace {

/// Three accounts: one with three windows, one with two, one with balances only.
UsageWidgetSnapshot sample() {
  return decodeSnapshot(testing_support::readFile(std::filesystem::path(VELTO_FIXTURES_DIR) / "json" / "pass" /
                                                      "three-accounts.json"));
}

toolkit::Element entry(const UsageWidgetSnapshot& snapshot, std::string provider, UsageWidgetFamily family,
                       bool chinese) {
  const UsageWidgetContentEnvironment environment{platform::TimeZone::utc(), "en_US_POSIX",
                                                  VELTO_AGENT_IMAGES_DIR};
  return MacUsageEntryView{.entry = {snapshot.capturedAt, share(snapshot), std::move(provider)},
                           .family = family,
                           .chinese = chinese,
                           .environment = environment}
      .body();
}

TEST(WaybarWidget, AccountsOfTheSample) {
  struct Case {
    std::string provider;
    UsageWidgetFamily family;
    bool chinese;
    std::string json;
  };
  const Case cases[] = {
      {"", UsageWidgetFamily::small, false,
       R"({"text":"Corvid · Work 42.5%","tooltip":"Corvid · Work\nlocal\nCorvid · Work, Session, 42.5% used\n)"
       R"(Updated\n11:59)" "\u202F" R"(AM","class":"blue","percentage":43})"},
      {"corvid", UsageWidgetFamily::medium, true,
       R"({"text":"Corvid · Work 42.5%","tooltip":"velto\nlocal\nCorvid · Work\nCorvid · Work, 会话额度, 42.5% 已用\n)"
       R"(Corvid · Work, Weekly, 81% 已用\nCorvid · Work, Weekly Reef, 100% 已用\n更新于\n11:59",)"
       R"("class":"blue","percentage":43})"},
      {"kelp", UsageWidgetFamily::small, false,
       R"({"text":"Kelp CNY 86.40","tooltip":"Kelp\nlocal\nRecharge\nCNY 86.40\nUpdated\n11:53)" "\u202F" R"(AM",)"
       R"("class":"primary"})"},
  };
  for (const auto& c : cases) EXPECT_EQ(waybarJson(entry(sample(), c.provider, c.family, c.chinese)), c.json);
}

TEST(WaybarWidget, EmptyStateIsUnavailable) {
  EXPECT_EQ(waybarJson(entry(UsageWidgetSnapshot::empty(), "", UsageWidgetFamily::small, false)),
            R"({"text":"Usage unavailable","tooltip":"velto, Usage unavailable, )"
            R"(Open velto to update usage on this Mac.","class":"unavailable"})");
  EXPECT_EQ(waybarJson(entry(sample(), "gannet", UsageWidgetFamily::medium, true)),
            R"({"text":"暂无用量数据","tooltip":"velto, 暂无用量数据, 本机暂无此 Agent 的当前读数。",)"
            R"("class":"unavailable"})");
}

}  // namespace
}  // namespace velto::render
