// Tests of the desktop host's state file: what it keeps, what it refuses, and how it is replaced.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "DesktopState.h"
#include "TemporaryFolder.h"

namespace velto::desktop {
namespace {

using testing_support::TemporaryFolder;

TEST(DesktopState, RefusesADamagedOrHostileFile) {
  struct Case {
    std::string text;
    std::string problem;
  };
  const std::string tooMany = [] {
    std::string text;
    for (std::size_t i = 0; i <= DesktopState::maximumWidgets; ++i) {
      text += "[Widget " + std::to_string(i) + "]\nFamily=small\n";
    }
    return text;
  }();
  const Case cases[] = {
      {"Family=small\n", "not a key file"},
      {"[Widget 1]\nFamily=large\n", "Widget 1: Family: must be small or medium"},
      {"[Widget 1]\nAgent=automatic\n", "Widget 1: Family: must be small or medium"},
      {"[Widget 1]\nFamily=small\nAgent=a\\tb\n", "Widget 1: Agent: holds a control character"},
      {"[Widget 1]\nFamily=small\nAgent=" + std::string(257, 'a') + "\n", "Widget 1: Agent: longer than 256 bytes"},
      {"[Widget 1]\nFamily=small\nX=100001\nY=0\n", "Widget 1: X: not a whole number"},
      {"[Widget 1]\nFamily=small\nX=12px\nY=0\n", "Widget 1: X: not a whole number"},
      {"[Widget 1]\nFamily=small\nX=4\n", "Widget 1: X and Y come together"},
      {tooMany, "more than 64 widgets"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    const auto reading = parseDesktopState(c.text);
    EXPECT_FALSE(reading.state);
    EXPECT_EQ(reading.problem.rfind(c.problem, 0), 0u) << reading.problem;
  }
}

TEST(DesktopStateFile, SavesAtomicallyAndPrivatelyAndLoadsEveryWidgetAsItWasPlaced) {
  const TemporaryFolder home;
  const DesktopStateFile file(home.path() / "config" / "velto-widget" / "desktop-widgets.ini");
  // No file yet: the first start's one medium widget on the automatic choice, and nothing to complain of.
  auto loaded = file.load();
  EXPECT_EQ(loaded.state, DesktopState::firstStart());
  EXPECT_EQ(loaded.problem, "");

  const DesktopState state{{
      {UsageWidgetFamily::medium, std::nullopt, std::nullopt},
      {UsageWidgetFamily::small, "provider:crane", WidgetPosition{-20, 1400}},
      // A value the key file must escape, and an underscore that a menu would take as a mnemonic.
      {UsageWidgetFamily::small, "  spaced ; and \\ my_agent #", WidgetPosition{0, 0}},
  }};
  file.save(state);
  loaded = file.load();
  EXPECT_EQ(loaded.state, state);
  EXPECT_EQ(loaded.problem, "");
  struct stat status {};
  ASSERT_EQ(::stat(file.path().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat(file.path().parent_path().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0700u);
  // Only the file itself is left behind: no temporary file.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file.path().parent_path()), {}), 1);
  EXPECT_EQ(*parseDesktopState("").state, DesktopState{});
}

TEST(DesktopStateFile, RefusesWhatIsNotItsOwnFileAndKeepsItAside) {
  struct Case {
    std::string name;
    std::function<void(const std::filesystem::path&)> make;
    std::string problem;
  };
  const Case cases[] = {
      {"damaged", [](const auto& path) { std::ofstream(path) << "[Widget 1]\nFamily=huge\n"; }, "Family"},
      {"too long",
       [](const auto& path) { std::ofstream(path) << std::string(DesktopState::maximumBytes + 1, '#'); },
       "longer than 65536 bytes"},
      {"a link", [](const auto& path) { std::filesystem::create_symlink("/dev/zero", path); }, "a symbolic link"},
      {"a FIFO", [](const auto& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }, "not a regular file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TemporaryFolder folder;
    const DesktopStateFile file(folder.path() / "desktop-widgets.ini");
    c.make(file.path());
    const auto loaded = file.load();
    EXPECT_EQ(loaded.state, DesktopState::firstStart());
    EXPECT_NE(loaded.problem.find(c.problem), std::string::npos) << loaded.problem;
    // Moved aside, so that the next save neither loses it nor fails on it.
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(file.path())));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(folder.path() / "desktop-widgets.ini.refused")));
    EXPECT_NO_THROW(file.save(DesktopState::firstStart()));
  }
}

}  // namespace
}  // namespace velto::desktop
