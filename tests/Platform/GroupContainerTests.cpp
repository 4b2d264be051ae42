// Tests of the group container stand-in: only listed groups, and only under an absolute data folder.
#include "GroupContainer.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>

#include "TemporaryFolder.h"

namespace velto::platform {
namespace {

using testing_support::TemporaryFolder;

constexpr const char* listedGroup = "TEAM000000.com.velto.menubar.usage";

// A bundle whose entitlements list the group above and, to show that they are refused anyway, identifiers
// that would not stay one path component.
class BundleWithGroups {
 public:
  BundleWithGroups() {
    folder_.write("velto-widget.entitlements",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                  "<key>com.apple.security.application-groups</key><array>"
                  "<string>TEAM000000.com.velto.menubar.usage</string><string>.</string><string>..</string>"
                  "<string>a/b</string><string></string></array></dict></plist>\n");
  }
  Bundle bundle() const { return Bundle(folder_.path()); }
  const std::filesystem::path& path() const { return folder_.path(); }

 private:
  TemporaryFolder folder_;
};

EnvironmentLookup fakeEnvironment(std::map<std::string, std::string> variables) {
  return [variables = std::move(variables)](const char* name) -> std::optional<std::string> {
    const auto found = variables.find(name);
    if (found == variables.end()) return std::nullopt;
    return found->second;
  };
}

struct ContainerCase {
  const char* name;
  std::string group;
  std::map<std::string, std::string> environment;
  std::optional<std::string> expected;
};
void PrintTo(const ContainerCase& row, std::ostream* out) { *out << row.name; }

class GroupContainerRule : public ::testing::TestWithParam<ContainerCase> {};

TEST_P(GroupContainerRule, ListedGroupUnderAnAbsoluteDataFolder) {
  const BundleWithGroups fixture;
  const auto& row = GetParam();
  const auto container = groupContainer(fixture.bundle(), row.group, fakeEnvironment(row.environment));
  EXPECT_EQ(container, row.expected ? std::optional<std::filesystem::path>(*row.expected) : std::nullopt);
}

const std::map<std::string, std::string> bothSet{{"XDG_DATA_HOME", "/xdg/data"}, {"HOME", "/home/u"}};

INSTANTIATE_TEST_SUITE_P(
    GroupContainer, GroupContainerRule,
    ::testing::Values(
        ContainerCase{"XdgDataHomeFirst", listedGroup, bothSet, "/xdg/data/TEAM000000.com.velto.menubar.usage"},
        ContainerCase{"HomeWithoutXdg", listedGroup, {{"HOME", "/home/u"}},
                      "/home/u/.local/share/TEAM000000.com.velto.menubar.usage"},
        ContainerCase{"RelativeXdgIgnored", listedGroup, {{"XDG_DATA_HOME", "xdg"}, {"HOME", "/home/u"}},
                      "/home/u/.local/share/TEAM000000.com.velto.menubar.usage"},
        ContainerCase{"RelativeHome", listedGroup, {{"HOME", "home/u"}}, std::nullopt},
        ContainerCase{"EmptyHome", listedGroup, {{"HOME", ""}}, std::nullopt},
        ContainerCase{"NoHome", listedGroup, {}, std::nullopt},
        ContainerCase{"Unlisted", "group.com.velto.app.usage", bothSet, std::nullopt},
        ContainerCase{"ListedDot", ".", bothSet, std::nullopt},
        ContainerCase{"ListedDotDot", "..", bothSet, std::nullopt},
        ContainerCase{"ListedWithSlash", "a/b", bothSet, std::nullopt},
        ContainerCase{"ListedEmpty", "", bothSet, std::nullopt},
        ContainerCase{"WithNul", std::string(listedGroup) + std::string(1, '\0'), bothSet, std::nullopt}));

TEST(GroupContainer, NothingIsCreatedOnDisk) {
  const BundleWithGroups fixture;
  const auto dataHome = fixture.path() / "data";
  const auto container = groupContainer(fixture.bundle(), listedGroup,
                                        fakeEnvironment({{"XDG_DATA_HOME", dataHome.string()}}));
  EXPECT_EQ(container, dataHome / listedGroup);
  EXPECT_FALSE(std::filesystem::exists(dataHome));
}

// The running program's bundle lists the configured usage group and not the host's own group.
TEST(GroupContainer, RunningBundleListsOnlyTheUsageGroup) {
  EXPECT_EQ(groupContainer("group.com.velto.app.usage"), std::nullopt);
  const auto usable = [](const char* name) {
    const auto value = processEnvironment(name);
    return value && value->starts_with('/');
  };
  if (!usable("XDG_DATA_HOME") && !usable("HOME")) GTEST_SKIP() << "no absolute XDG_DATA_HOME or HOME";
  const auto container = groupContainer(VELTO_USAGE_GROUP);
  ASSERT_TRUE(container.has_value());
  EXPECT_EQ(container->filename(), VELTO_USAGE_GROUP);
}

}  // namespace
}  // namespace velto::platform
