// ChildProcess: a program a test starts, with its own environment and its output kept in files; ended with the
// test.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <glib.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "TestFiles.h"

namespace velto::desktop::testing {

using Clock = std::chrono::steady_clock;

/// Looks at `condition` every 20 ms until it holds or `deadline` has passed; whether it held. The tests'
/// only way to wait for a window, a picture or a file: never a fixed sleep.
inline bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
  const auto end = Clock::now() + deadline;
  while (!condition()) {
    if (Clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

/// The absolute path of `program` found on PATH; nothing when it is not installed.
inline std::optional<std::filesystem::path> onPath(const std::string& program) {
  gchar* found = g_find_program_in_path(program.c_str());
  if (!found) return std::nullopt;
  std::filesystem::path path(found);
  g_free(found);
  return path;
}

class ChildProcess {
 public:
  /// Starts `arguments` (the program first, a full path) with the test's environment changed by `changes`
  /// (an empty value removes the variable); standard output and error go to `output` + ".out" / ".err".
  /// `keep` names one descriptor of the test's that the child inherits as is (-1: none).
  ChildProcess(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& changes,
               std::filesystem::path output, int keep = -1)
      : output_(std::move(output)) {
    pid_ = ::fork();
    if (pid_ != 0) return;
    for (const auto& [name, value] : changes) {
      if (value.empty()) {
        ::unsetenv(name.c_str());
      } else {
        ::setenv(name.c_str(), value.c_str(), 1);
      }
    }
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open((output_.string() + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open((output_.string() + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    if (keep >= 0) ::fcntl(keep, F_SETFD, 0);
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() { stop(); }

  /// The exit code once it has ended within `deadline`; nothing while it runs (-1: ended by a signal).
  std::optional<int> wait(std::chrono::milliseconds deadline) {
    if (ended_) return exitCode_;
    waitFor([&] { return reap(WNOHANG); }, deadline);
    return ended_ ? std::optional<int>(exitCode_) : std::nullopt;
  }

  /// Asks it to end (SIGTERM), kills it after five seconds, and gives its exit code.
  int stop() {
    if (ended_ || pid_ <= 0) return exitCode_;
    ::kill(pid_, SIGTERM);
    if (!wait(std::chrono::seconds(5))) {
      ::kill(pid_, SIGKILL);
      reap(0);
    }
    return exitCode_;
  }

  pid_t pid() const { return pid_; }
  std::string out() const { return testing_support::readFile(output_.string() + ".out"); }
  std::string err() const { return testing_support::readFile(output_.string() + ".err"); }

 private:
  bool reap(int options) {
    int status = 0;
    if (::waitpid(pid_, &status, options) != pid_) return false;
    ended_ = true;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
  }

  std::filesystem::path output_;
  pid_t pid_ = -1;
  bool ended_ = false;
  int exitCode_ = -1;
};

}  // namespace velto::desktop::testing
