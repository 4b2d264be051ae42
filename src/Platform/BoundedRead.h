// BoundedRead: the bytes of a file that is not trusted, read without blocking and never far beyond a limit.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

#include "FileOperations.h"

namespace velto::platform {

/// Whether a symbolic link at the name itself is followed or refused.
enum class SymbolicLinks { follow, refuse };

/// What a bounded read found.
struct BoundedRead {
  /// The file's bytes when it holds at most the limit; otherwise its first limit + 1 bytes, which is enough to
  /// know it is too long. Nothing when it could not be read. When the size was known, the string's capacity
  /// leaves `readAheadRoom` bytes past them, so that a parser which reads ahead can take them in place.
  std::optional<std::string> bytes;
  static constexpr std::size_t readAheadRoom = 64;
  /// Why there are no bytes, in words that follow the file's name: what the entry is ("a FIFO, not a regular
  /// file") or the system's error ("No such file or directory", "cannot be read: Input/output error").
  std::string problem;

  /// True when the file holds more than `limit` bytes (the limit the read was made with).
  bool exceeds(std::size_t limit) const { return bytes && bytes->size() > limit; }
};

/// Reads the regular file at `path`, at most `limit` + 1 bytes. The entry is judged by its status before it is
/// opened, so that a FIFO, a device, a socket or a directory is never opened (opening one may block or have
/// effects), nor, with SymbolicLinks::refuse, a symbolic link; it is opened without blocking, and what was
/// opened is judged again, in case the name was replaced in between.
BoundedRead readRegularFile(const std::filesystem::path& path, std::size_t limit, SymbolicLinks links,
                            FileOperations& files = FileOperations::system());

/// Reads at most `limit` + 1 bytes from the open descriptor `fd` (standard input, say) until its end, waiting
/// for data when it has none yet. `expectedSize`, when known, sizes the first buffer.
BoundedRead readAtMost(int fd, std::size_t limit, FileOperations& files = FileOperations::system(),
                       std::size_t expectedSize = 0);

/// What a file's status says it is, for messages: "a directory", "a FIFO", ..., "a regular file".
std::string describeFileType(mode_t mode);

}  // namespace velto::platform
