// ProducerCommands: the host side of velto-widget: projecting a raw usage report into the store, and clearing it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "Commands.h"
#include "ExitCode.h"
#include "Instant.h"

namespace velto::app {

/// What `project` was asked to do.
struct ProjectRequest {
  std::string file = "-";  ///< the report; "-" is standard input
  std::string server;      ///< the server label, cleaned by the projection
  std::optional<std::string> at;  ///< --at as given; absent: now
  bool print = false;             ///< print the snapshot instead of storing it
  std::optional<std::filesystem::path> directory;  ///< the store's folder; absent: the widget's store
};

/// Projects the report at the requested time and stores the snapshot (or prints it with `print`). A bad --at
/// is a usage error; a refused report or a refused write is reported with the bound, the JSON path or the
/// broken rule, and leaves the stored file as it was.
ExitCode projectCommand(const ProjectRequest& request, Streams streams);

/// Deletes the stored snapshot file from `directory`, or from the widget's store.
ExitCode clearCommand(const std::optional<std::filesystem::path>& directory, Streams streams);

}  // namespace velto::app
