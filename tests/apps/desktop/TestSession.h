// TestSession: a private desktop session for one test: its own X server and its own session bus.
#pragma once

#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "ChildProcess.h"

namespace velto::desktop::testing {

/// Reads one line that a child writes to the pipe `fd` within `deadline`; empty when none came.
inline std::string readLine(int fd, std::chrono::milliseconds deadline) {
  std::string line;
  const auto end = Clock::now() + deadline;
  char c = 0;
  while (c != '\n' && Clock::now() < end) {
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, 50) == 1 && ::read(fd, &c, 1) == 1 && c != '\n') line += c;
  }
  return line;
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
  auto server = std::make_unique<ChildProcess>(withFd, std::map<std::string, std::string>{}, output, ends[1]);
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

}  // namespace velto::desktop::testing
