// CommandLine: velto-widget run as a user runs it, with chosen standard streams; what it said and how it ended.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "TemporaryFolder.h"

namespace velto::testing_support {

struct Result {
  int exitCode = -1;  ///< -1: ended by a signal; -2: still running at the deadline, then ended
  std::string out;
  std::string err;
};

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
  /// standard error into "run.err" in the scratch folder.
  std::unique_ptr<ChildProcess> start(const std::vector<std::string>& arguments,
                                      const std::filesystem::path& input = {}, Output output = Output::file,
                                      const std::filesystem::path& program = VELTO_COMMAND) const {
    std::vector<std::string> command{program.string()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return std::make_unique<ChildProcess>(command, std::map<std::string, std::string>{}, scratch_ / "run",
                                          Streams{.input = input, .output = output});
  }

  /// Runs the command as start() does and waits for it to end.
  Result run(const std::vector<std::string>& arguments, const std::filesystem::path& input = {},
             Output output = Output::file, const std::filesystem::path& program = VELTO_COMMAND) const {
    const auto child = start(arguments, input, output, program);
    const int exitCode = child->wait(std::chrono::seconds(30)).value_or(-2);
    return {exitCode, output == Output::file ? child->out() : "", child->err()};
  }

  const TemporaryFolder folder_;
  const std::filesystem::path& scratch_ = folder_.path();
};

}  // namespace velto::testing_support
