// ExitCode: what the command tells its caller.
#pragma once

namespace velto::app {

enum ExitCode : int {
  exitSuccess = 0,
  exitRefused = 1,  ///< refused input or a failed operation
  exitUsage = 2,    ///< the command line itself is wrong
};

}  // namespace velto::app
