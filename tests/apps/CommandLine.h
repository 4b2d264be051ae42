// CommandLine: velto-widget run as a user runs it, with chosen standard streams; what it said and how it ended.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "TemporaryFolder.h"
#include "TestFiles.h"

namespace velto::testing_support {

/// What a run's standard output is.
enum class Output {
  file,        ///< a file, read back into Result::out
  pipe,        ///< a pipe whose read end Started::output gives
  closedPipe,  ///< a pipe whose reader has already gone
  full,        ///< /dev/full: every write fails with ENOSPC
  closed,      ///< no descriptor at all (`>&-`)
};

/// A run under way: its process, and the read end of its standard output for Output::pipe (else -1).
struct Started {
  pid_t process = -1;
  int output = -1;
};

struct Result {
  int exitCode = -1;  ///< -1: ended by a signal; -2: still running at the deadline, then killed
  std::string out;
  std::string err;
};

/// Waits for `child` for at most `deadline`; kills it after that. The exit code as Result::exitCode gives it.
inline int waitForExit(pid_t child, std::chrono::seconds deadline = std::chrono::seconds(30)) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  int status = 0;
  while (::waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      return -2;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/// What the program itself said on standard error: its lines that start with "velto-widget: " (a sanitizer's
/// report, say, is not the program's).
inline std::string said(const std::string& err) {
  std::string lines;
  for (std::size_t start = 0; start < err.size();) {
    const auto end = std::min(err.find('\n', start), err.size() - 1) + 1;
    if (err.compare(start, 14, "velto-widget: ") == 0) lines += err.substr(start, end - start);
    start = end;
  }
  return lines;
}

/// A scratch folder that also holds the demo's private folders (TMPDIR) and the widget's store (XDG_DATA_HOME).
class CommandLine : public ::testing::Test {
 protected:
  CommandLine() {
    ::setenv("TMPDIR", scratch_.c_str(), 1);
    ::setenv("XDG_DATA_HOME", (scratch_ / "data").c_str(), 1);
  }
  ~CommandLine() override {
    ::unsetenv("TMPDIR");
    ::unsetenv("XDG_DATA_HOME");
  }

  /// Starts the command (or `program`) with `arguments`, standard input from `input` (empty: /dev/null) and
  /// standard error into err().
  Started start(const std::vector<std::string>& arguments, const std::filesystem::path& input = {},
                Output output = Output::file, const std::filesystem::path& program = VELTO_COMMAND) const {
    int pipeEnds[2] = {-1, -1};
    if ((output == Output::pipe || output == Output::closedPipe) && ::pipe2(pipeEnds, O_CLOEXEC) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
      ::dup2(::open(input.empty() ? "/dev/null" : input.c_str(), O_RDONLY), 0);
      ::dup2(::open(errPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
      switch (output) {
        case Output::file: ::dup2(::open(outPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1); break;
        case Output::pipe:
        case Output::closedPipe: ::dup2(pipeEnds[1], 1); break;
        case Output::full: ::dup2(::open("/dev/full", O_WRONLY), 1); break;
        case Output::closed: ::close(1); break;
      }
      std::vector<char*> argv{const_cast<char*>(program.c_str())};
      for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    if (pipeEnds[1] >= 0) ::close(pipeEnds[1]);
    if (output == Output::closedPipe) ::close(pipeEnds[0]);
    return {child, output == Output::pipe ? pipeEnds[0] : -1};
  }

  /// Runs the command as start() does and waits for it to end.
  Result run(const std::vector<std::string>& arguments, const std::filesystem::path& input = {},
             Output output = Output::file, const std::filesystem::path& program = VELTO_COMMAND) const {
    Result result;
    result.exitCode = waitForExit(start(arguments, input, output, program).process);
    result.out = output == Output::file ? readFile(outPath()) : "";
    result.err = err();
    return result;
  }

  /// What the last run wrote to standard error.
  std::string err() const { return readFile(errPath()); }
  std::filesystem::path errPath() const { return scratch_ / "err"; }
  std::filesystem::path outPath() const { return scratch_ / "out"; }

  const TemporaryFolder folder_;
  const std::filesystem::path& scratch_ = folder_.path();
};

}  // namespace velto::testing_support
