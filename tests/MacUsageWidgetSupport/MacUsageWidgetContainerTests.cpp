// Tests of the shared identity: the group rule, the store behind a bundle, and the widget's URL.
#include "MacUsageWidgetContainer.h"

#include <gtest/gtest.h>

#include <fstream>

#include "TemporaryFolder.h"

namespace velto {
namespace {

namespace fs = std::filesystem;

TEST(MacUsageWidgetContainer, GroupIdentifierChecksTeamAndSuffix) {
  struct Case {
    std::string team;
    std::string group;
    bool accepted;
  };
  const Case cases[] = {
      {"ABCDE12345", "ABCDE12345.com.velto.menubar.usage", true},
      {"ABCDE1234", "ABCDE1234.com.velto.menubar.usage", false},
      {"ABCDE123456", "ABCDE123456.com.velto.menubar.usage", false},
      {"abcde12345", "abcde12345.com.velto.menubar.usage", false},
      {"ABCDE12345", "ABCDE12345.com.velto.menubar.usage2", false},
      {"ABCDE12345", "ZZZZZ12345.com.velto.menubar.usage", false},
      // The rule is a regular-expression search, whose `$` also matches before one final line feed.
      {"ABCDE12345\n", "ABCDE12345\n.com.velto.menubar.usage", true},
      {"ABCDE12345\n", "ABCDE12345.com.velto.menubar.usage", false},
  };
  for (const auto& c : cases) {
    const auto group = MacUsageWidgetContainer::groupIdentifier(c.team, c.group);
    EXPECT_EQ(group.has_value(), c.accepted) << c.team << " / " << c.group;
    EXPECT_EQ(group.value_or(c.group), c.group);
  }
}

TEST(MacUsageWidgetContainer, OpensOnlyTheUsageURL) {
  struct Case {
    const char* url;
    bool opens;
  };
  // Malformed URLs are the parser's (UrlComponents); these hold each part to what opens the usage view.
  const Case cases[] = {
      {"velto://usage", true},         {"velto://usage/", true},          {"velto://us%61ge", true},
      {"velto://usage/x", false},      {"velto://usage/%2F", false},      {"velto://usage?", false},
      {"velto://usage#", false},       {"velto://me@usage", false},       {"velto://@usage", false},
      {"velto://usage:80", false},     {"Velto://usage", false},          {"velto://Usage", false},
      {"https://usage", false},        {"velto:usage", false},            {"velto://other", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(MacUsageWidgetContainer::opensUsage(c.url), c.opens) << c.url;
}

// Each piece of the identity missing or wrong gives no directory; the checked identity gives its folder.
TEST(MacUsageWidgetContainer, StoreIsTheUsageWidgetFolderOfACheckedIdentityOnly) {
  const testing_support::TemporaryFolder folder;
  const fs::path& root = folder.path();
  fs::create_directories(root / "bundle");
  const auto writePlist = [&](const char* file, const std::string& entries) {
    std::ofstream(root / "bundle" / file)
        << R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>)" << entries << "</dict></plist>";
  };
  const auto entitle = [&](const std::string& group) {
    writePlist("velto-widget.entitlements",
               "<key>com.apple.security.application-groups</key><array><string>" + group + "</string></array>");
  };
  const auto environment = [&](const char* name) -> std::optional<std::string> {
    if (std::string_view(name) == "XDG_DATA_HOME") return (root / "data").string();
    return std::nullopt;
  };
  const auto storeDirectory = [&] {
    return MacUsageWidgetContainer::store(platform::Bundle(root / "bundle"), environment).directory();
  };
  const std::string team = "<key>VeltoSigningTeam</key><string>ABCDE12345</string>";
  const std::string group = "<key>VeltoUsageGroup</key><string>ABCDE12345.com.velto.menubar.usage</string>";

  entitle("ABCDE12345.com.velto.menubar.usage");
  for (const auto& entries : {team, group, "<key>VeltoSigningTeam</key><string>abcde12345</string>" + group}) {
    writePlist("Info.plist", entries);
    EXPECT_EQ(storeDirectory(), std::nullopt) << entries;
  }
  writePlist("Info.plist", team + group);
  EXPECT_EQ(storeDirectory(), root / "data" / "ABCDE12345.com.velto.menubar.usage" / "UsageWidget");
  EXPECT_FALSE(fs::exists(root / "data"));  // resolving creates nothing
  entitle("OTHER12345.com.velto.menubar.usage");
  EXPECT_EQ(storeDirectory(), std::nullopt) << "group not entitled";
  EXPECT_EQ(MacUsageWidgetContainer::store(std::nullopt).directory(), std::nullopt) << "no bundle";
}

}  // namespace
}  // namespace velto
