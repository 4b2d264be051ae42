// Tests of the bundle stand-in: the resource folder beside bin/, its Info.plist and its entitlements.
#include "Bundle.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ostream>

#include "TemporaryFolder.h"

namespace velto::platform {
namespace {

using testing_support::TemporaryFolder;

// A property list whose top level is `body`.
std::string plist(std::string_view body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + std::string(body) + "\n</plist>\n";
}

// A valid Info.plist holding Name = "Velto", padded with white space to exactly `size` bytes.
std::string paddedInfo(std::size_t size) {
  const auto text = plist("<dict><key>Name</key><string>Velto</string></dict>");
  return text + std::string(size - text.size(), ' ');
}

// Test programs are built into the same bin/ folder as the command, so they see the same bundle.
TEST(Bundle, ResourceFolderIsShareVeltoWidgetBesideBin) {
  const auto folder = resourceDirectory();
  ASSERT_TRUE(folder.has_value());
  EXPECT_EQ(folder->filename(), "velto-widget");
  EXPECT_EQ(folder->parent_path().filename(), "share");
  EXPECT_TRUE(std::filesystem::is_regular_file(*folder / "samples" / "report.json"));
}

TEST(Bundle, MainBundleCarriesTheConfiguredIdentity) {
  const auto bundle = Bundle::main();
  ASSERT_TRUE(bundle.has_value());
  EXPECT_EQ(bundle->infoString("CFBundleIdentifier"), "com.velto.menubar.widget");
  EXPECT_EQ(bundle->infoString("CFBundleShortVersionString"), VELTO_PROJECT_VERSION);
  EXPECT_EQ(bundle->infoString("VeltoSigningTeam"), VELTO_SIGNING_TEAM);
  EXPECT_EQ(bundle->infoString("VeltoUsageGroup"), VELTO_USAGE_GROUP);
  EXPECT_EQ(bundle->applicationGroups(), std::vector<std::string>{VELTO_USAGE_GROUP});
}

struct InfoCase {
  const char* name;
  std::string contents;
  std::optional<std::string> expected;  // the value of "Name"
};
void PrintTo(const InfoCase& row, std::ostream* out) { *out << row.name; }

class InfoString : public ::testing::TestWithParam<InfoCase> {};

TEST_P(InfoString, ReadsOnlyATopLevelTextValue) {
  const TemporaryFolder folder;
  folder.write("Info.plist", GetParam().contents);
  EXPECT_EQ(Bundle(folder.path()).infoString("Name"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Bundle, InfoString,
    ::testing::Values(
        InfoCase{"Text", plist("<dict><key>Other</key><true/><key>Name</key><string>Velto</string></dict>"),
                 "Velto"},
        InfoCase{"UnicodeAndEntities", plist("<dict><key>Name</key><string>Gr\xc3\xbc&amp;&lt;</string></dict>"),
                 "Gr\xc3\xbc&<"},
        InfoCase{"EmptyText", plist("<dict><key>Name</key><string></string></dict>"), ""},
        InfoCase{"Integer", plist("<dict><key>Name</key><integer>7</integer></dict>"), std::nullopt},
        InfoCase{"OnlyNested", plist("<dict><key>Inner</key><dict><key>Name</key><string>Velto</string>"
                                     "</dict></dict>"),
                 std::nullopt},
        InfoCase{"RootIsArray", plist("<array><string>Name</string><string>Velto</string></array>"),
                 std::nullopt},
        InfoCase{"Truncated", plist("<dict><key>Name</key><string>Velto</string>"), std::nullopt},
        InfoCase{"ByteOrderMark", "\xef\xbb\xbf" + plist("<dict><key>Name</key><string>Velto</string></dict>"),
                 std::nullopt},
        InfoCase{"Empty", "", std::nullopt},
        InfoCase{"AtSizeLimit", paddedInfo(std::size_t{1} << 20), "Velto"},
        InfoCase{"OverSizeLimit", paddedInfo((std::size_t{1} << 20) + 1), std::nullopt}));

TEST(Bundle, FilesThatAreNotRegularAnswerNothing) {
  const TemporaryFolder missing;
  EXPECT_EQ(Bundle(missing.path()).infoString("Name"), std::nullopt);
  EXPECT_TRUE(Bundle(missing.path()).applicationGroups().empty());

  const TemporaryFolder directory;
  std::filesystem::create_directory(directory.path() / "Info.plist");
  EXPECT_EQ(Bundle(directory.path()).infoString("Name"), std::nullopt);

  // A FIFO with no writer would block a plain open for ever.
  const TemporaryFolder fifo;
  ASSERT_EQ(::mkfifo((fifo.path() / "Info.plist").c_str(), 0600), 0);
  EXPECT_EQ(Bundle(fifo.path()).infoString("Name"), std::nullopt);
}

struct GroupsCase {
  const char* name;
  std::string contents;
  std::vector<std::string> expected;
};
void PrintTo(const GroupsCase& row, std::ostream* out) { *out << row.name; }

class ApplicationGroups : public ::testing::TestWithParam<GroupsCase> {};

TEST_P(ApplicationGroups, ListsTheTextEntriesOfTheEntitlement) {
  const TemporaryFolder folder;
  folder.write("velto-widget.entitlements", GetParam().contents);
  EXPECT_EQ(Bundle(folder.path()).applicationGroups(), GetParam().expected);
}

constexpr std::string_view groupsKey = "<key>com.apple.security.application-groups</key>";

INSTANTIATE_TEST_SUITE_P(
    Bundle, ApplicationGroups,
    ::testing::Values(
        GroupsCase{"InOrder",
                   plist("<dict><key>com.apple.security.app-sandbox</key><true/>" + std::string(groupsKey) +
                         "<array><string>B.one</string><string>A.two</string></array></dict>"),
                   {"B.one", "A.two"}},
        GroupsCase{"NonTextEntriesSkipped",
                   plist("<dict>" + std::string(groupsKey) +
                         "<array><integer>1</integer><string>A.one</string><array><string>x</string></array>"
                         "</array></dict>"),
                   {"A.one"}},
        GroupsCase{"TextInsteadOfArray", plist("<dict>" + std::string(groupsKey) + "<string>A.one</string></dict>"),
                   {}},
        GroupsCase{"KeyMissing", plist("<dict><key>com.apple.security.app-sandbox</key><true/></dict>"), {}},
        GroupsCase{"Malformed", plist("<dict>" + std::string(groupsKey) + "<array><string>A.one</array></dict>"),
                   {}}));

}  // namespace
}  // namespace velto::platform
