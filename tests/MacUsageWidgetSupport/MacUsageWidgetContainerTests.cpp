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

class MacUsageWidgetContainerStore : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(root_ / "bundle"); }

  void writeInfo(const std::string& entries) {
    std::ofstream(root_ / "bundle" / "Info.plist")
        << R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>)" << entries << "</dict></plist>";
  }
  void entitle(const std::string& group) {
    std::ofstream(root_ / "bundle" / "velto-widget.entitlements")
        << R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>)"
        << "<key>com.apple.security.application-groups</key><array><string>" << group
        << "</string></array></dict></plist>";
  }
  std::optional<fs::path> storeDirectory() const {
    const auto environment = [this](const char* name) -> std::optional<std::string> {
      if (std::string_view(name) == "XDG_DATA_HOME") return (root_ / "data").string();
      return std::nullopt;
    };
    return MacUsageWidgetContainer::store(platform::Bundle(root_ / "bundle"), environment).directory();
  }

  const testing_support::TemporaryFolder folder_;
  const fs::path& root_ = folder_.path();
};

constexpr const char* team = "<key>VeltoSigningTeam</key><string>ABCDE12345</string>";
constexpr const char* group = "<key>VeltoUsageGroup</key><string>ABCDE12345.com.velto.menubar.usage</string>";

TEST_F(MacUsageWidgetContainerStore, CheckedIdentityGivesTheUsageWidgetFolderOfTheContainer) {
  writeInfo(std::string(team) + group);
  entitle("ABCDE12345.com.velto.menubar.usage");
  EXPECT_EQ(storeDirectory(), root_ / "data" / "ABCDE12345.com.velto.menubar.usage" / "UsageWidget");
  EXPECT_FALSE(fs::exists(root_ / "data"));  // resolving creates nothing
}

TEST_F(MacUsageWidgetContainerStore, AnyMissingPieceGivesNoDirectory) {
  entitle("ABCDE12345.com.velto.menubar.usage");
  const std::string cases[] = {
      team,
      group,
      std::string("<key>VeltoSigningTeam</key><string>abcde12345</string>") + group,
  };
  for (const auto& entries : cases) {
    writeInfo(entries);
    EXPECT_EQ(storeDirectory(), std::nullopt) << entries;
  }
  writeInfo(std::string(team) + group);
  entitle("OTHER12345.com.velto.menubar.usage");
  EXPECT_EQ(storeDirectory(), std::nullopt) << "group not entitled";
  EXPECT_EQ(MacUsageWidgetContainer::store(std::nullopt).directory(), std::nullopt) << "no bundle";
}

}  // namespace
}  // namespace velto
