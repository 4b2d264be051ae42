// InputFile: reads a file named on the command line, or standard input for "-", up to a size limit.
#pragma once

#include <cstddef>
#include <string>

namespace velto::app {

/// How an input is named in messages: its name, or "standard input" for "-".
std::string inputName(const std::string& name);

/// The bytes of `name` ("-" is standard input), at most `limit` + 1 of them, so that a caller can tell "too
/// large" without reading an unbounded stream. A named file is read by the store's rules: only a regular file
/// is opened, and nothing blocks. Throws std::runtime_error "NAME: why" when it cannot be read.
std::string readInput(const std::string& name, std::size_t limit);

}  // namespace velto::app
