// InputFile: reads a file named on the command line, or standard input for "-", up to a size limit.
#pragma once

#include <cstddef>
#include <string>

namespace velto::app {

/// The bytes of `name` ("-" is standard input). Reads at most `limit` + 1 bytes, so that a caller can tell
/// "too large" without reading an unbounded stream. Throws std::system_error naming the file on failure.
std::string readInput(const std::string& name, std::size_t limit);

}  // namespace velto::app
