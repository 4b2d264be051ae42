// ProcessRunner: runs another program to its end under a time limit, keeping its output and passing on its
// complaints line by line.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velto::platform {

/// What to run, and how much time and output it is allowed.
struct ProcessRequest {
  /// The program and its arguments, run as given (no shell); a program without a slash is looked up in PATH.
  std::vector<std::string> arguments;
  /// Bytes of standard output kept; one more stops the process and ends the run as `outputTooLarge`.
  std::size_t outputLimit = 0;
  /// Standard output joins standard error and is passed on line by line instead of being kept.
  bool relayOutput = false;
  /// How long the process may run before it is asked to stop.
  std::chrono::milliseconds timeout{60'000};
  /// How long a process asked to stop (SIGTERM) has before it is killed (SIGKILL).
  std::chrono::milliseconds killDelay{3'000};
};

/// How a run ended, and what the process wrote to standard output.
struct ProcessResult {
  enum class Ending {
    exited,          ///< it ended by itself; `code` is its exit status
    signalled,       ///< a signal we did not send ended it; `code` is the signal
    notStarted,      ///< it could not be started; `code` is the errno
    timedOut,        ///< it was stopped when its time ran out
    outputTooLarge,  ///< it was stopped when its output passed the limit
    interrupted,     ///< it was stopped because the caller asked
  };
  Ending ending = Ending::exited;
  int code = 0;
  std::string output;  ///< at most the limit, also when the run failed

  friend bool operator==(const ProcessResult&, const ProcessResult&) = default;
};

/// What the caller hears while a process runs.
struct ProcessWatch {
  /// Each line of standard error, without its line end. A line longer than `maximumLineBytes` comes in pieces.
  std::function<void(std::string_view line)> errorLine;
  /// A descriptor of the caller's (a signal descriptor, say); while it is readable, `interrupted` is asked, and
  /// must take what made it readable. -1: none.
  int interruptDescriptor = -1;
  /// Whether to stop the process now.
  std::function<bool()> interrupted;
};

/// The longest piece of a line that `ProcessWatch::errorLine` gets.
inline constexpr std::size_t maximumLineBytes = 4096;

/// Runs `request` and waits for its end. The process gets /dev/null as standard input, pipes as standard output
/// and standard error, no other descriptor of ours, default signal dispositions, an empty signal mask and a
/// process group of its own. Stopping it (time out, too much output, interruption) sends SIGTERM to that group,
/// then SIGKILL after `killDelay`; when the process has ended, whatever it left running in its group is killed
/// too. The process is always reaped before this returns, also when a callback throws. Throws
/// std::system_error when a pipe or the process descriptor cannot be made, std::invalid_argument for no
/// arguments.
ProcessResult runProcess(const ProcessRequest& request, const ProcessWatch& watch);

}  // namespace velto::platform
