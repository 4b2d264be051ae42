// Tests of the bundle stand-in: the resource folder beside bin/, its Info.plist and its entitlements.
#include "Bundle.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TemporaryFolder.h"

namespace velto::platform {
namespace {

using testing_support::TemporaryFolder;

// A property list whose top level is `body`.
std::string plist(std::string_view body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + std::string(body) + "\n</plist>\n";
}

// Test programs are built into the same bin/ folder as the command, so they see the same bundle.
TEST(Bundle, TheRunningProgramsBundleIsShareVeltoWidgetBesideBinWithTheConfiguredIdentity) {
  const auto bundle = Bundle::main();
  ASSERT_TRUE(bundle.has_value());
  EXPECT_EQ(bundle->infoString("CFBundleIdentifier"), "com.velto.menubar.widget");
  EXPECT_EQ(bundle->infoString("CFBundleShortVersionString"), VELTO_PROJECT_VERSION);
  EXPECT_EQ(bundle->infoString("VeltoSigningTeam"), VELTO_SIGNING_TEAM);
  EXPECT_EQ(bundle->infoString("VeltoUsageGroup"), VELTO_USAGE_GROUP);
}

TEST(Bundle, InfoStringReadsOnlyATopLevelTextValue) {
  // A valid Info.plist holding Name = "Velto", padded with white space to `limit` bytes and one more.
  const auto info = plist("<dict><key>Name</key><string>Velto</string></dict>");
  const std::size_t limit = std::size_t{1} << 20;
  const struct {
    std::string contents;
    std::optional<std::string> expected;  // the value of "Name"
  } cases[] = {
      {plist("<dict><key>Other</key><true/><key>Name</key><string>Velto</string></dict>"), "Velto"},
      {plist("<dict><key>Name</key><integer>7</integer></dict>"), std::nullopt},
      {plist("<array><string>Name</string><string>Velto</string></array>"), std::nullopt},
      {"", std::nullopt},
      {info + std::string(limit - info.size(), ' '), "Velto"},
      {info + std::string(limit + 1 - info.size(), ' '), std::nullopt},
  };
  const TemporaryFolder folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.contents.substr(0, 200));
    folder.write("Info.plist", c.contents);
    EXPECT_EQ(Bundle(folder.path()).infoString("Name"), c.expected);
  }
}

TEST(Bundle, FilesThatAreNotRegularAnswerNothing) {
  const TemporaryFolder folder;
  EXPECT_TRUE(Bundle(folder.path()).applicationGroups().empty());
  // A FIFO with no writer would block a plain open for ever.
  ASSERT_EQ(::mkfifo((folder.path() / "Info.plist").c_str(), 0600), 0);
  EXPECT_EQ(Bundle(folder.path()).infoString("Name"), std::nullopt);
}

TEST(Bundle, ApplicationGroupsListsTheTextEntriesOfTheEntitlement) {
  const std::string key = "<key>com.apple.security.application-groups</key>";
  const struct {
    std::string dictionary;
    std::vector<std::string> expected;
  } cases[] = {
      {"<key>com.apple.security.app-sandbox</key><true/>" + key + "<array><string>B.one</string>"
       "<string>A.two</string></array>",
       {"B.one", "A.two"}},
      {key + "<array><integer>1</integer><string>A.one</string><array><string>x</string></array></array>",
       {"A.one"}},
      {key + "<string>A.one</string>", {}},
  };
  const TemporaryFolder folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dictionary);
    folder.write("velto-widget.entitlements", plist("<dict>" + c.dictionary + "</dict>"));
    EXPECT_EQ(Bundle(folder.path()).applicationGroups(), c.expected);
  }
}

}  // namespace
}  // namespace velto::platform
