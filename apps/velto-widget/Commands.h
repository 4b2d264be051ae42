// Commands: the snapshot file's own commands (read, check), free of command-line parsing, and the streams every
// command writes to.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

#include "ExitCode.h"

namespace velto::app {

/// Where a command writes its result and its complaints.
struct Streams {
  std::ostream& out;
  std::ostream& err;
};

/// Prints the stored snapshot as the store encodes it; the store is over `directory`, or the widget's.
ExitCode readCommand(const std::optional<std::filesystem::path>& directory, Streams streams);

/// Decodes and validates a snapshot file ("-" for standard input); prints "valid" or the first broken rule.
ExitCode checkCommand(const std::string& file, Streams streams);

}  // namespace velto::app
