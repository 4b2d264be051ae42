// Tests of the group container stand-in: only listed groups, and only under an absolute data folder.
#include "GroupContainer.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "FakeEnvironment.h"
#include "TemporaryFolder.h"

namespace velto::platform {
namespace {

using testing_support::fakeEnvironment;

constexpr const char* listedGroup = "TEAM000000.com.velto.menubar.usage";

TEST(GroupContainer, ListedGroupUnderAnAbsoluteDataFolder) {
  // The entitlements also list identifiers that would not stay one path component, to show that they are
  // refused anyway.
  const testing_support::TemporaryFolder folder;
  folder.write("velto-widget.entitlements",
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
               "<key>com.apple.security.application-groups</key><array>"
               "<string>TEAM000000.com.velto.menubar.usage</string><string>.</string><string>..</string>"
               "<string>a/b</string><string></string></array></dict></plist>\n");
  const Bundle bundle(folder.path());
  const std::map<std::string, std::string> bothSet{{"XDG_DATA_HOME", "/xdg/data"}, {"HOME", "/home/u"}};
  const auto underHome = std::filesystem::path("/home/u/.local/share") / listedGroup;
  const struct {
    std::string group;
    std::map<std::string, std::string> environment;
    std::optional<std::filesystem::path> expected;
  } cases[] = {
      {listedGroup, bothSet, std::filesystem::path("/xdg/data") / listedGroup},
      {listedGroup, {{"HOME", "/home/u"}}, underHome},
      {listedGroup, {{"XDG_DATA_HOME", "xdg"}, {"HOME", "/home/u"}}, underHome},  // relative: as if unset
      {listedGroup, {}, std::nullopt},
      {"group.com.velto.app.usage", bothSet, std::nullopt},
      {".", bothSet, std::nullopt},
      {"..", bothSet, std::nullopt},
      {"a/b", bothSet, std::nullopt},
      {"", bothSet, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.group + " in " + testing::PrintToString(c.environment));
    EXPECT_EQ(groupContainer(bundle, c.group, fakeEnvironment(c.environment)), c.expected);
  }
}

// The running program's bundle lists the configured usage group, and the process's environment places it. No other
// test here reads the process's XDG_DATA_HOME.
TEST(GroupContainer, RunningProgramsBundleAndEnvironment) {
  ::setenv("XDG_DATA_HOME", "/xdg/data", 1);
  EXPECT_EQ(groupContainer(VELTO_USAGE_GROUP), std::filesystem::path("/xdg/data") / VELTO_USAGE_GROUP);
  ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace velto::platform
