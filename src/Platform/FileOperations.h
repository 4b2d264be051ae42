// FileOperations: the one seam through which the program makes its POSIX file calls.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>

namespace velto::platform {

/// The POSIX calls the store needs, each with the system call's own contract: the result is the system
/// call's, and on failure errno says why. Tests derive from this to inject failures at any step.
class FileOperations {
 public:
  FileOperations() = default;
  FileOperations(const FileOperations&) = delete;
  FileOperations& operator=(const FileOperations&) = delete;
  virtual ~FileOperations() = default;

  virtual int open(const char* path, int flags, mode_t mode);
  virtual ssize_t read(int fd, void* buffer, std::size_t count);
  virtual ssize_t write(int fd, const void* buffer, std::size_t count);
  virtual int fstat(int fd, struct stat* status);
  virtual int lstat(const char* path, struct stat* status);
  virtual int fchmod(int fd, mode_t mode);
  virtual int chmod(const char* path, mode_t mode);
  virtual int fsync(int fd);
  virtual int close(int fd);
  virtual int mkdir(const char* path, mode_t mode);
  virtual int rename(const char* from, const char* to);
  virtual int unlink(const char* path);
  virtual int flock(int fd, int operation);

  /// The operations of the running system.
  static FileOperations& system();
};

}  // namespace velto::platform
