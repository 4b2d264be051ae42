// OutputFile: where a command's result goes: standard output, a device or FIFO, or a file replaced whole.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

namespace velto::app {

/// Writes `bytes` where -o `path` says:
/// - "" or "-", or a name for standard output itself (/dev/stdout): to `out`;
/// - a FIFO or a character device (a terminal, /dev/null): opened and written into, never replaced (a FIFO
///   waits for its reader);
/// - a regular file or a new name: replaced atomically (a temporary file beside it, synced and renamed over
///   it), so that a reader never sees half a picture and a failed write leaves the old file as it was; the file
///   keeps its mode, a new one gets 0666 less the umask; temporary files that an interrupted write of the same
///   path left are removed first;
/// - a symbolic link: followed, and what it leads to is written by these rules; the link stays.
/// Anything else (a directory, a socket, a block device, a link that leads nowhere) is refused. Throws
/// std::system_error or std::runtime_error naming the file.
void writeOutput(const std::string& path, std::string_view bytes, std::ostream& out);

}  // namespace velto::app
