// ChildProcess: a program a test starts, with its own environment, standard input and output; ended with the
// test.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "TestFiles.h"

namespace velto::testing_support {

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

/// Reads one line that a child writes to the pipe `fd` within `deadline`, without its newline; empty when
/// none came.
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

/// What a child's standard output is.
enum class Output {
  file,        ///< the file read back by ChildProcess::out()
  pipe,        ///< a pipe whose read end ChildProcess::output() gives
  closedPipe,  ///< a pipe whose reader has already gone
  full,        ///< /dev/full: every write fails with ENOSPC
  closed,      ///< no descriptor at all (`>&-`)
};

/// A child's standard streams, beside standard error, which always goes to a file.
struct Streams {
  std::filesystem::path input = {};  ///< standard input; empty: /dev/null
  Output output = Output::file;
  int keep = -1;  ///< one descriptor of the test's that the child inherits as is (-1: none)
};

class ChildProcess {
 public:
  /// Starts `arguments` (the program first, a full path) with the test's environment changed by `changes`
  /// (an empty value removes the variable); standard output (as a file) and error go to `files` + ".out" /
  /// ".err".
  ChildProcess(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& changes,
               std::filesystem::path files, const Streams& streams = {})
      : files_(std::move(files)) {
    int pipeEnds[2] = {-1, -1};
    const bool piped = streams.output == Output::pipe || streams.output == Output::closedPipe;
    if (piped && ::pipe2(pipeEnds, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ != 0) {
      if (piped) ::close(pipeEnds[1]);
      if (streams.output == Output::closedPipe) ::close(pipeEnds[0]);
      if (streams.output == Output::pipe) output_ = pipeEnds[0];
      return;
    }
    for (const auto& [name, value] : changes) {
      if (value.empty()) {
        ::unsetenv(name.c_str());
      } else {
        ::setenv(name.c_str(), value.c_str(), 1);
      }
    }
    ::dup2(::open(streams.input.empty() ? "/dev/null" : streams.input.c_str(), O_RDONLY), 0);
    ::dup2(::open((files_.string() + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    const std::string outFile = files_.string() + ".out";
    switch (streams.output) {
      case Output::file: ::dup2(::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1); break;
      case Output::pipe:
      case Output::closedPipe: ::dup2(pipeEnds[1], 1); break;
      case Output::full: ::dup2(::open("/dev/full", O_WRONLY), 1); break;
      case Output::closed: ::close(1); break;
    }
    if (streams.keep >= 0) ::fcntl(streams.keep, F_SETFD, 0);
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() {
    stop();
    if (output_ >= 0) ::close(output_);
  }

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

  /// The read end of its standard output for Output::pipe, closed with the process.
  int output() const { return output_; }

  pid_t pid() const { return pid_; }
  std::string out() const { return readFile(files_.string() + ".out"); }
  std::string err() const { return readFile(files_.string() + ".err"); }

 private:
  bool reap(int options) {
    int status = 0;
    if (::waitpid(pid_, &status, options) != pid_) return false;
    ended_ = true;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
  }

  std::filesystem::path files_;
  pid_t pid_ = -1;
  int output_ = -1;
  bool ended_ = false;
  int exitCode_ = -1;
};

}  // namespace velto::testing_support
