// HostCommand: `host`, the host side as a service: the user's collector run on a schedule, its report stored.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "Commands.h"
#include "ExitCode.h"

namespace velto::app {

/// What `host` was asked to do.
struct HostRequest {
  std::string server;                              ///< the server label of every snapshot
  double every = 300;                              ///< seconds between scheduled refreshes
  double timeout = 60;                             ///< seconds the collector, and each reload command, may run
  std::vector<std::string> reloadCommands;         ///< each run with /bin/sh -c; empty ones are ignored
  bool once = false;                               ///< one refresh, then exit with its outcome
  std::optional<std::filesystem::path> directory;  ///< the store's folder; absent: the widget's store
  std::vector<std::string> collector;              ///< the program that prints a raw report, and its arguments
};

/// Runs the refresh loop until SIGTERM or SIGINT (exit 0), refreshing at start, every `every` seconds and on
/// SIGUSR1 or SIGHUP, paced by the refresh policy; logs one line per refresh on standard error, with the
/// journal's priority prefix when standard error is the journal. With `once`, one refresh: exit 0 when it
/// stored a snapshot, 1 when it failed.
ExitCode hostCommand(const HostRequest& request, Streams streams);

}  // namespace velto::app
