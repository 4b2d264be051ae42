// BoundedRead: status before open, status after open, then one read loop that stops one byte past the limit.
#include "BoundedRead.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "FileDescriptor.h"

namespace velto::platform {
namespace {

/// The first buffer when the size is unknown: a typical report or snapshot fits, a larger input grows it.
constexpr std::size_t unknownSizeBuffer = 64 * 1024;

BoundedRead failure(std::string problem) { return {std::nullopt, std::move(problem)}; }
BoundedRead systemFailure(int error) { return failure(std::generic_category().message(error)); }

}  // namespace

std::string describeFileType(mode_t mode) {
  if (S_ISREG(mode)) return "a regular file";
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISLNK(mode)) return "a symbolic link";
  return "an entry of unknown type";
}

BoundedRead readRegularFile(const std::filesystem::path& path, std::size_t limit, SymbolicLinks links,
                            FileOperations& files) {
  const bool refuseLinks = links == SymbolicLinks::refuse;
  struct stat status {};
  if (files.fstatat(AT_FDCWD, path.c_str(), &status, refuseLinks ? AT_SYMLINK_NOFOLLOW : 0) != 0) {
    return systemFailure(errno);
  }
  if (!S_ISREG(status.st_mode)) return failure(describeFileType(status.st_mode) + ", not a regular file");
  const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (refuseLinks ? O_NOFOLLOW : 0);
  const FileDescriptor file(files.open(path.c_str(), flags, 0), files);
  if (!file) return systemFailure(errno);
  if (files.fstat(file.get(), &status) != 0) return systemFailure(errno);
  if (!S_ISREG(status.st_mode)) return failure(describeFileType(status.st_mode) + ", not a regular file");
  return readAtMost(file.get(), limit, files, static_cast<std::size_t>(std::max<off_t>(status.st_size, 0)));
}

BoundedRead readAtMost(int fd, std::size_t limit, FileOperations& files, std::size_t expectedSize) {
  // The expected size is only a first guess (a file may grow while it is read, a pipe has none); one byte
  // past it, or past the limit, tells a longer input apart from one read whole.
  const std::size_t cap = limit + 1;
  const std::size_t first = std::min(expectedSize > 0 ? expectedSize + 1 : unknownSizeBuffer, cap);
  std::string bytes;
  bytes.reserve(first + BoundedRead::readAheadRoom);
  bytes.resize(first);
  std::size_t total = 0;
  while (total < cap) {
    if (total == bytes.size()) bytes.resize(std::min(bytes.size() * 2, cap));
    const ssize_t count = files.read(fd, bytes.data() + total, bytes.size() - total);
    if (count > 0) {
      total += static_cast<std::size_t>(count);
    } else if (count == 0) {
      break;
    } else if (errno == EAGAIN) {
      // A descriptor left non-blocking by whoever passed it (a shell's standard input, say): wait for data.
      pollfd ready{fd, POLLIN, 0};
      static_cast<void>(::poll(&ready, 1, -1));
    } else if (errno != EINTR) {
      return failure("cannot be read: " + std::generic_category().message(errno));
    }
  }
  bytes.resize(total);
  return {std::move(bytes), {}};
}

}  // namespace velto::platform
