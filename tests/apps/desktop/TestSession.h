// TestSession: private desktop sessions for one test: an X server with a session bus, or a Wayland compositor.
#pragma once

#include <unistd.h>

#include <glib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "ChildProcess.h"

namespace velto::desktop::testing {

using testing_support::ChildProcess;
using testing_support::readLine;
using testing_support::waitFor;

/// The absolute path of `program` found on PATH; nothing when it is not installed.
inline std::optional<std::filesystem::path> onPath(const std::string& program) {
  gchar* found = g_find_program_in_path(program.c_str());
  if (!found) return std::nullopt;
  std::filesystem::path path(found);
  g_free(found);
  return path;
}

/// Starts a program that tells where it listens by writing one line to a descriptor it is given (after
/// `fdFlag`, joined to it when the flag ends in "="), and keeps it running; nothing when it does not start.
inline std::unique_ptr<ChildProcess> startServer(const std::vector<std::string>& arguments, const std::string& fdFlag,
                                                 const std::filesystem::path& output, std::string& line) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return nullptr;
  std::vector<std::string> withFd = arguments;
  if (fdFlag.ends_with('=')) {
    withFd.push_back(fdFlag + std::to_string(ends[1]));
  } else {
    withFd.insert(withFd.end(), {fdFlag, std::to_string(ends[1])});
  }
  auto server = std::make_unique<ChildProcess>(withFd, std::map<std::string, std::string>{}, output,
                                               testing_support::Streams{.keep = ends[1]});
  ::close(ends[1]);
  line = readLine(ends[0], std::chrono::seconds(10));
  ::close(ends[0]);
  if (line.empty()) return nullptr;
  return server;
}

/// An X server (Xvfb, on a display number it picks itself) and a session bus without any service to start,
/// so that nothing of the user's desktop reaches the program under test.
class TestSession {
 public:
  /// Starts both in `folder`; `problem` says what is missing when either does not start.
  explicit TestSession(const std::filesystem::path& folder) {
    const auto xvfb = onPath("Xvfb");
    const auto busDaemon = onPath("dbus-daemon");
    if (!xvfb || !busDaemon) {
      problem_ = std::string(xvfb ? "dbus-daemon" : "Xvfb") + " is not installed";
      return;
    }
    std::string number;
    x_ = startServer({xvfb->string(), "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"}, "-displayfd",
                     folder / "xvfb", number);
    if (!x_) {
      problem_ = "Xvfb did not start";
      return;
    }
    display_ = ":" + number;
    const auto config = folder / "bus.conf";
    // The policy of the standard session bus, without its service folders: nothing is started on demand.
    std::ofstream(config) << "<busconfig><type>session</type><listen>unix:tmpdir=" << folder.string()
                          << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                             "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                             "<allow own=\"*\"/></policy></busconfig>\n";
    bus_ = startServer({busDaemon->string(), "--config-file=" + config.string(), "--nofork", "--nopidfile"},
                       "--print-address=", folder / "bus", busAddress_);
    if (!bus_) problem_ = "dbus-daemon did not start";
  }

  /// Empty when the session runs; else why the display tests are skipped.
  const std::string& problem() const { return problem_; }
  const std::string& display() const { return display_; }
  const std::string& busAddress() const { return busAddress_; }

 private:
  std::string problem_;
  std::string display_;
  std::string busAddress_;
  std::unique_ptr<ChildProcess> x_;
  std::unique_ptr<ChildProcess> bus_;
};

/// A headless sway (wlroots' pixman renderer, one 1280 x 800 output painted one colour) with layer-shell, and
/// grim to take pictures of it. sway refuses to run as root, so a root test runs it as "nobody".
class WaylandSession {
 public:
  static constexpr int width = 1280;
  static constexpr int height = 800;
  /// The output's colour, under the widget's clear corners.
  static constexpr const char* background = "#336699";

  /// Starts sway with its runtime folder in a fresh folder of /tmp (the test's own folder is private to
  /// root, and "nobody" must reach this one), removed with the session.
  WaylandSession() {
    const auto sway = onPath("sway");
    const auto setpriv = onPath("setpriv");
    grim_ = onPath("grim");
    if (!sway || !grim_ || (::getuid() == 0 && !setpriv)) {
      problem_ = "sway and grim are not installed";
      return;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "velto-wayland-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
      problem_ = "no runtime folder";
      return;
    }
    runtime_ = pattern;
    const auto config = runtime_ / "sway.conf";
    std::ofstream(config) << "output HEADLESS-1 resolution " << width << "x" << height << " bg " << background
                          << " solid_color\n";
    std::vector<std::string> command{sway->string(), "--config", config.string()};
    if (::getuid() == 0) {
      if (::chown(runtime_.c_str(), 65534, 65534) != 0) {
        problem_ = "cannot hand the runtime folder to nobody";
        return;
      }
      command.insert(command.begin(), {setpriv->string(), "--reuid=65534", "--regid=65534", "--clear-groups"});
    }
    sway_ = std::make_unique<ChildProcess>(command, environment({{"WLR_BACKENDS", "headless"},
                                                                 {"WLR_LIBINPUT_NO_DEVICES", "1"},
                                                                 {"WLR_RENDERER", "pixman"},
                                                                 {"HOME", runtime_.string()}}),
                                           runtime_ / "sway");
    waitFor([&] {
      for (const auto& entry : std::filesystem::directory_iterator(runtime_)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("wayland-") && !name.ends_with(".lock")) socket_ = name;
      }
      return !socket_.empty();
    }, std::chrono::seconds(10));
    if (socket_.empty()) problem_ = "sway did not start: " + sway_->err();
  }

  ~WaylandSession() {
    sway_.reset();
    std::error_code ignored;
    if (!runtime_.empty()) std::filesystem::remove_all(runtime_, ignored);
  }
  WaylandSession(const WaylandSession&) = delete;
  WaylandSession& operator=(const WaylandSession&) = delete;

  /// Empty when sway runs; else why the Wayland test is skipped.
  const std::string& problem() const { return problem_; }

  /// The environment of a client of this compositor, with `changes` made to it.
  std::map<std::string, std::string> environment(std::map<std::string, std::string> changes) const {
    changes.insert({{"XDG_RUNTIME_DIR", runtime_.string()}, {"WAYLAND_DISPLAY", socket_}, {"DISPLAY", ""}});
    return changes;
  }

  /// The whole output as PNG bytes; empty when grim fails.
  std::string picture(const std::filesystem::path& file) const {
    ChildProcess grim({grim_->string(), file.string()}, environment({}), file.parent_path() / "grim");
    if (grim.wait(std::chrono::seconds(10)) != 0) return "";
    return testing_support::readFile(file);
  }

 private:
  std::filesystem::path runtime_;
  std::optional<std::filesystem::path> grim_;
  std::string socket_;
  std::string problem_;
  std::unique_ptr<ChildProcess> sway_;
};

}  // namespace velto::desktop::testing
