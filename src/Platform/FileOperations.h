// FileOperations: the one seam through which the program makes its POSIX file calls.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>
#include <cstddef>

namespace velto::platform {

/// The POSIX calls the program makes on files, each with the system call's own contract: the result is the
/// system call's, and on failure errno says why. Calls relative to a directory descriptor take AT_FDCWD for
/// the current directory. Tests derive from this to inject failures at any step.
class FileOperations {
 public:
  FileOperations() = default;
  FileOperations(const FileOperations&) = delete;
  FileOperations& operator=(const FileOperations&) = delete;
  virtual ~FileOperations() = default;

  virtual int openat(int directory, const char* path, int flags, mode_t mode);
  virtual ssize_t read(int fd, void* buffer, std::size_t count);
  virtual ssize_t write(int fd, const void* buffer, std::size_t count);
  virtual int fstat(int fd, struct stat* status);
  virtual int fstatat(int directory, const char* path, struct stat* status, int flags);
  virtual int fchmod(int fd, mode_t mode);
  virtual int fsync(int fd);
  virtual int close(int fd);
  virtual int mkdirat(int directory, const char* path, mode_t mode);
  virtual int renameat(int fromDirectory, const char* from, int toDirectory, const char* to);
  virtual int unlinkat(int directory, const char* path, int flags);
  virtual int flock(int fd, int operation);
  /// Sleeps for `duration`, between attempts to take a lock that another process holds.
  virtual void pause(std::chrono::milliseconds duration);

  /// openat relative to the current directory.
  int open(const char* path, int flags, mode_t mode) { return openat(AT_FDCWD, path, flags, mode); }

  /// The operations of the running system.
  static FileOperations& system();
};

}  // namespace velto::platform
