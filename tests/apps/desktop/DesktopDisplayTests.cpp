// Tests of velto-widget-desktop on a real X server of the test's own: its windows, what they show beside
// `velto-widget render` of the same entry, and how they follow the menu, the store, the clock and the mouse.
#include <gio/gio.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <cmath>
#include <sstream>
#include <thread>

#include "ChildProcess.h"
#include "FakePortal.h"
#include "Layout.h"
#include "TemporaryFolder.h"
#include "TestSession.h"
#include "UsageSnapshotStore.h"
#include "X11Windows.h"

namespace velto::desktop::testing {
namespace {

using namespace std::chrono_literals;
using render::testing::PixelImage;

Instant now() { return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count(); }

/// Two accounts read half a minute before `at`: Crane with its five-hour window at 40%, resetting `resetIn`
/// seconds after `at`, and Corvid.
UsageWidgetSnapshot snapshotAt(Instant at, double resetIn = 3 * 3600) {
  const Instant read = std::floor(at) - 30;
  const auto session = [](double used, Instant resetAt) {
    return UsageWidgetWindow{.label = "5-hour", .kind = "session", .model = "", .percent = used, .resetAt = resetAt};
  };
  return {.server = "build-box",
          .capturedAt = read,
          .accounts = {{.id = "crane", .agent = "crane", .name = "Crane",
                        .windows = {session(40, std::floor(at) + resetIn)}},
                       {.id = "corvid", .agent = "corvid", .name = "Corvid", .windows = {session(64, read + 7200)}}}};
}

/// `velto-widget render` of `store` as a PNG (made in `folder`), with `arguments`.
PixelImage rendered(const std::filesystem::path& folder, const std::filesystem::path& store,
                    const std::vector<std::string>& arguments) {
  const auto picture = folder / "expected.png";
  std::vector<std::string> command{VELTO_COMMAND, "render", "--format", "png", "--text-size", "large", "--directory",
                                   store.string(), "-o", picture.string()};
  command.insert(command.end(), arguments.begin(), arguments.end());
  ChildProcess render(command, {}, folder / "render");
  EXPECT_EQ(render.wait(30s), 0) << render.err();
  return PixelImage(testing_support::readFile(picture));
}

/// The pixels of `expected` that `shown(x, y)` does not show within the renderer tests' tolerance. Over a
/// compositor the clear corners are blended over `under`; without one they are left out (the window's shape
/// cuts them, and what shows there is not the window's).
int differences(const std::function<Pixel(int, int)>& shown, const PixelImage& expected,
                const std::optional<render::Rgba>& under, int scale, std::string& first) {
  const int corner = static_cast<int>(std::ceil(toolkit::WidgetCanvas::small().cornerRadius * scale)) + 1;
  int count = 0;
  for (int y = 0; y < expected.height(); ++y) {
    for (int x = 0; x < expected.width(); ++x) {
      const bool inCorner =
          (x < corner || x >= expected.width() - corner) && (y < corner || y >= expected.height() - corner);
      Pixel want = expected.at(x, y);
      if (under) {
        want = render::testing::over({want.red / 255.0, want.green / 255.0, want.blue / 255.0, want.alpha / 255.0},
                                     *under);
      } else if (inCorner) {
        continue;
      }
      if (render::testing::near(shown(x, y), want)) continue;
      if (count++ == 0) {
        std::ostringstream where;
        where << "(" << x << ", " << y << "): " << shown(x, y) << " instead of " << want;
        first = where.str();
      }
    }
  }
  return count;
}

class DesktopOnX11 : public ::testing::Test {
 protected:
  void SetUp() override {
    session_ = std::make_unique<TestSession>(folder_.path());
    if (!session_->problem().empty()) GTEST_SKIP() << "no desktop session for these tests: " << session_->problem();
    x_ = std::make_unique<X11Display>(session_->display());
    ASSERT_TRUE(x_->open());
    UsageSnapshotStore(store()).write(snapshotAt(now()));
  }

  std::filesystem::path store() const { return folder_.path() / "store"; }
  std::filesystem::path stateFile() const { return folder_.path() / "config/velto-widget/desktop-widgets.ini"; }

  /// The environment of a program of the session: this display and bus, private folders, nothing of the
  /// user's desktop, and no handler for any URL.
  std::map<std::string, std::string> environment(const std::map<std::string, std::string>& changes = {}) const {
    std::map<std::string, std::string> variables{
        {"DISPLAY", session_->display()},
        {"GDK_BACKEND", "x11"},
        {"WAYLAND_DISPLAY", ""},
        {"DBUS_SESSION_BUS_ADDRESS", session_->busAddress()},
        {"XDG_CONFIG_HOME", (folder_.path() / "config").string()},
        {"XDG_DATA_HOME", (folder_.path() / "data").string()},
        {"XDG_DATA_DIRS", (folder_.path() / "nothing").string()},
        {"GSETTINGS_BACKEND", "memory"},
        {"NO_AT_BRIDGE", "1"},
        {"GTK_THEME", ""},
        {"GDK_SCALE", ""},
    };
    for (const auto& [name, value] : changes) variables[name] = value;
    return variables;
  }

  /// Starts the desktop host with `arguments`, on the test's store unless they name another.
  ChildProcess& startDesktop(const std::vector<std::string>& arguments,
                             const std::map<std::string, std::string>& changes = {}) {
    std::vector<std::string> command{VELTO_DESKTOP_COMMAND};
    if (std::find(arguments.begin(), arguments.end(), "--directory") == arguments.end()) {
      command.insert(command.end(), {"--directory", store().string()});
    }
    command.insert(command.end(), arguments.begin(), arguments.end());
    desktops_.push_back(std::make_unique<ChildProcess>(
        command, environment(changes), folder_.path() / ("desktop" + std::to_string(desktops_.size()))));
    return *desktops_.back();
  }

  /// `rendered` of the medium widget in English at scale 1 from the test's store (or `from`), with `more`.
  PixelImage medium(std::vector<std::string> more = {}, const std::filesystem::path& from = {}) const {
    more.insert(more.end(), {"--family", "medium", "--lang", "en", "--scale", "1"});
    return rendered(folder_.path(), from.empty() ? store() : from, more);
  }

  /// The desktop host's windows once there are `count` on the screen; empty when they do not come. Meanwhile
  /// the test's main context runs, for a FakePortal to answer.
  std::vector<X11Window> windows(std::size_t count) {
    std::vector<X11Window> found;
    waitFor(
        [&] {
          g_main_context_iteration(nullptr, FALSE);
          found = x_->windowsOfClass("velto-widget-desktop");
          return found.size() == count && std::all_of(found.begin(), found.end(), [](auto& w) { return w.viewable; });
        },
        10s);
    return found.size() == count ? found : std::vector<X11Window>{};
  }

  /// Expects `window` to come to show `expected` within five seconds; says how it differs last when it does not.
  void comesToShow(const X11Window& window, const PixelImage& expected, int scale = 1) {
    std::string first;
    int count = 0;
    const bool shown = waitFor(
        [&] {
          const auto capture = x_->capture(window);
          if (!capture || capture->width != expected.width() || capture->height != expected.height()) return false;
          count = differences([&](int x, int y) { return capture->at(x, y); }, expected, std::nullopt, scale, first);
          return count == 0;
        },
        5s);
    EXPECT_TRUE(shown) << count << " pixels differ, the first at " << first;
  }

  /// Activates `action` of the running program's object at `path` over the session bus with `targets` (in
  /// GVariant's text), as its menu does; whether the call went through.
  bool activate(const std::string& path, const std::string& action, const std::string& targets = "[]") const {
    ChildProcess call({onPath("gdbus").value_or("gdbus").string(), "call", "--address", session_->busAddress(),
                       "--dest", "com.velto.WidgetDesktop", "--object-path", path, "--method",
                       "org.gtk.Actions.Activate", action, targets, "{}"},
                      {}, folder_.path() / "gdbus");
    return call.wait(10s) == 0;
  }

  testing_support::TemporaryFolder folder_;
  std::unique_ptr<TestSession> session_;
  std::unique_ptr<X11Display> x_;
  std::vector<std::unique_ptr<ChildProcess>> desktops_;
};

// The window's size is the picture's: logical pixels times the monitor's scale, drawn at that scale. Without a
// session bus the program runs on its own, and says so. (The medium family in English: the tests below.)
TEST_F(DesktopOnX11, AWindowShowsTheEntryAsTheRendererDrawsIt) {
  std::filesystem::create_directories(stateFile().parent_path());
  std::ofstream(stateFile()) << "[Widget 1]\nFamily=small\n";
  auto& desktop = startDesktop({"--scheme", "dark", "--lang", "zh"},
                               {{"GDK_SCALE", "2"}, {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nowhere"}});
  const auto shown = windows(1);
  ASSERT_EQ(shown.size(), 1u) << desktop.err();
  EXPECT_EQ(shown[0].title, "Agent 用量");
  const std::vector<std::string> look{"--family", "small", "--scheme", "dark", "--lang", "zh", "--scale", "2"};
  comesToShow(shown[0], rendered(folder_.path(), store(), look), 2);
  EXPECT_NE(desktop.err().find("no session bus"), std::string::npos) << desktop.err();
  EXPECT_EQ(desktop.stop(), 0) << desktop.err();
}

TEST_F(DesktopOnX11, AnEntryIsDrawnWhenItsDateComes) {
  auto& desktop = startDesktop({"--scheme", "light", "--lang", "en"});
  const auto shown = windows(1);
  ASSERT_EQ(shown.size(), 1u) << desktop.err();

  // Crane's five-hour window resets two seconds from now: from then on it says "Update needed". What the
  // window shows is watched until a second past the reset, each new picture kept with when it was seen, and
  // compared once the expected pictures are drawn (which takes long in a sanitizer build).
  const Instant reset = std::floor(now()) + 2;
  const auto snapshot = snapshotAt(reset - 2, 2);
  UsageSnapshotStore(store()).write(snapshot);
  std::vector<std::pair<Instant, Capture>> seen;
  while (now() < reset + 1) {
    const auto capture = x_->capture(shown[0]);
    if (capture && (seen.empty() || capture->pixels != seen.back().second.pixels)) seen.emplace_back(now(), *capture);
    std::this_thread::sleep_for(20ms);
  }
  const auto next = folder_.path() / "next";
  UsageSnapshotStore(next).write(snapshot);
  const auto at = [](Instant instant) { return std::to_string(static_cast<long long>(instant)); };
  const PixelImage before = medium({"--scheme", "light", "--at", at(reset - 1)}, next);
  const PixelImage after = medium({"--scheme", "light", "--at", at(reset)}, next);
  const auto shows = [&](const Capture& capture, const PixelImage& expected) {
    std::string first;
    return differences([&](int x, int y) { return capture.at(x, y); }, expected, std::nullopt, 1, first) == 0;
  };
  const auto firstBefore = std::find_if(seen.begin(), seen.end(), [&](auto& s) { return shows(s.second, before); });
  const auto firstAfter = std::find_if(seen.begin(), seen.end(), [&](auto& s) { return shows(s.second, after); });
  ASSERT_NE(firstBefore, seen.end()) << "the replaced snapshot was never shown";
  ASSERT_NE(firstAfter, seen.end()) << "the entry at the reset was never shown";
  EXPECT_LT(firstBefore->first, reset);
  EXPECT_GE(firstAfter->first, reset);
  EXPECT_LT(firstAfter->first, reset + 1);
}

// One desktop host, followed from its first start: it redraws as the desktop's scheme changes and as an agent
// is chosen from its menu (as the snapshot is replaced: AnEntryIsDrawnWhenItsDateComes); the mouse drags it and
// clicks it, the keyboard opens its menu, the next start puts it back where it was left, a second start adds a
// widget, and the menu removes one.
TEST_F(DesktopOnX11, FollowsTheSchemeTheMenuTheMouseAndASecondStart) {
  // A store that cannot be is refused before anything is shown.
  auto& refused = startDesktop({"--directory", "/etc/passwd"});
  EXPECT_EQ(refused.wait(10s), 1);
  EXPECT_EQ(refused.err(), "velto-widget-desktop: /etc/passwd: not a folder\n");

  FakePortal portal(session_->busAddress(), 1);  // prefers dark
  auto& desktop = startDesktop({"--lang", "en"});
  const auto shown = windows(1);
  ASSERT_EQ(shown.size(), 1u) << desktop.err();
  EXPECT_EQ(shown[0].title, "Agent usage");
  comesToShow(shown[0], medium({"--scheme", "dark"}));
  portal.change(2);  // prefers light
  comesToShow(shown[0], medium({"--scheme", "light"}));

  // The menu's agent item sets off the window's "agent" action, which the application exports on the bus.
  ASSERT_TRUE(activate("/com/velto/WidgetDesktop/window/1", "agent", "[<'provider:corvid'>]"));
  EXPECT_TRUE(waitFor(
      [&] { return testing_support::readFile(stateFile()).find("Agent=provider:corvid") != std::string::npos; }, 5s));
  comesToShow(shown[0], medium({"--scheme", "light", "--agent", "provider:corvid"}));

  const X11Window window = shown[0];
  // The first widget sits at the top-right corner, 16 pixels in.
  EXPECT_EQ(window.x, 1280 - 364 - 16);
  EXPECT_EQ(window.y, 16);

  const auto viewable = [&] {
    const auto all = x_->windowsOfClass("velto-widget-desktop");
    return std::count_if(all.begin(), all.end(), [](const X11Window& w) { return w.viewable; });
  };
  x_->movePointer(window.x + 50, window.y + 50);
  x_->pressButton(true);
  for (int step = 1; step <= 10; ++step) {
    x_->movePointer(window.x + 50 - 20 * step, window.y + 50 + 10 * step);
    // Each step is seen by the program before the next: it moves the window under the pointer.
    waitFor([&] { return x_->windowsOfClass("velto-widget-desktop").at(0).x == window.x - 20 * step; }, 2s);
  }
  x_->pressButton(false);
  EXPECT_TRUE(waitFor([&] { return testing_support::readFile(stateFile()).find("X=700\nY=116") != std::string::npos; }, 5s))
      << testing_support::readFile(stateFile());

  // A click without a move opens the widget's URL; with no application for it, a line says so.
  x_->pressButton(true);
  x_->pressButton(false);
  EXPECT_TRUE(waitFor([&] { return desktop.err().find("velto-widget-desktop: nothing opens velto://usage") != std::string::npos; }, 5s))
      << desktop.err();

  // The Menu key opens the menu over the widget under the pointer (the X server's focus follows it here): the
  // menu is reachable from the keyboard.
  x_->typeKey("Menu");
  EXPECT_TRUE(waitFor([&] { return viewable() == 2; }, 5s)) << viewable();

  // The next start puts it where it was left (where the drag above left it, not where a first start would).
  EXPECT_EQ(desktop.stop(), 0) << desktop.err();
  auto& again = startDesktop({"--scheme", "light"});
  const auto restored = windows(1);
  ASSERT_EQ(restored.size(), 1u) << again.err();
  EXPECT_EQ(restored[0].x, 700);
  EXPECT_EQ(restored[0].y, 116);

  auto& second = startDesktop({"--add", "small"});
  EXPECT_EQ(second.wait(10s), 0) << second.err();
  const auto both = windows(2);
  ASSERT_EQ(both.size(), 2u);
  EXPECT_TRUE(std::any_of(both.begin(), both.end(), [](const X11Window& w) { return w.width == 170; }));
  const std::string state = testing_support::readFile(stateFile());
  EXPECT_NE(state.find("[Widget 2]\nFamily=small"), std::string::npos) << state;

  // The menu's "Remove widget" of the first one leaves the second.
  ASSERT_TRUE(activate("/com/velto/WidgetDesktop/window/1", "remove"));
  ASSERT_EQ(windows(1).size(), 1u);
  EXPECT_EQ(windows(1)[0].width, 170);
  EXPECT_TRUE(waitFor(
      [&] {
        const std::string kept = testing_support::readFile(stateFile());
        return kept.find("[Widget 1]\nFamily=small\n") != std::string::npos && kept.find("Widget 2") == std::string::npos;
      },
      5s))
      << testing_support::readFile(stateFile());

  // A second start on another store is refused: the running one keeps showing its own.
  auto& other = startDesktop({"--directory", (folder_.path() / "elsewhere").string()});
  EXPECT_EQ(other.wait(10s), 1);
  EXPECT_NE(other.err().find("velto-widget-desktop: already running on the store in"), std::string::npos)
      << other.err();
  EXPECT_EQ(again.stop(), 0) << again.err();
}

/// The desktop host on a compositor with layer-shell: the widget lies on the output at its corner, and its
/// rounded corners are clear, blended by the compositor over what lies below.
TEST(DesktopOnWayland, LiesAtItsCornerWithClearCorners) {
  const testing_support::TemporaryFolder folder;
  const WaylandSession session;
  if (!session.problem().empty()) GTEST_SKIP() << "no Wayland compositor for this test: " << session.problem();
  const auto store = folder.path() / "store";
  UsageSnapshotStore(store).write(snapshotAt(now()));
  const PixelImage expected =
      rendered(folder.path(), store, {"--family", "medium", "--scheme", "light", "--lang", "en", "--scale", "1"});
  ChildProcess desktop({VELTO_DESKTOP_COMMAND, "--directory", store.string(), "--scheme", "light", "--lang", "en"},
                       session.environment({{"GDK_BACKEND", "wayland"},
                                            {"XDG_CONFIG_HOME", (folder.path() / "config").string()},
                                            {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nowhere"},
                                            {"GSETTINGS_BACKEND", "memory"},
                                            {"NO_AT_BRIDGE", "1"}}),
                       folder.path() / "desktop");
  // Anchored to the top-left corner by margins that put it 16 pixels in from the top-right one.
  const int left = WaylandSession::width - 364 - 16;
  const int top = 16;
  const render::Rgba under{0x33 / 255.0, 0x66 / 255.0, 0x99 / 255.0, 1};
  int count = -1;
  std::string first;
  const bool shown = waitFor(
      [&] {
        const PixelImage screen(session.picture(folder.path() / "screen.png"));
        if (screen.width() != WaylandSession::width) return false;
        count = differences([&](int x, int y) { return screen.at(left + x, top + y); }, expected, under, 1, first);
        return count == 0;
      },
      10s);
  EXPECT_TRUE(shown) << count << " pixels differ, the first at " << first << "\n" << desktop.err();
  EXPECT_EQ(desktop.stop(), 0) << desktop.err();
}

}  // namespace
}  // namespace velto::desktop::testing
