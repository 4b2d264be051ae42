// OutputFile: where a command's result goes: standard output, or a file replaced whole.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

namespace velto::app {

/// Writes `bytes` to `out` when `path` is empty or "-"; otherwise replaces the file at `path` atomically (a
/// temporary file beside it, renamed over it), so that a reader never sees half a picture and a failed write
/// leaves the old file as it was. Throws std::system_error naming the file on failure.
void writeOutput(const std::string& path, std::string_view bytes, std::ostream& out);

}  // namespace velto::app
