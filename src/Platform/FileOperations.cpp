// FileOperations: the system's implementation, one POSIX call each.
#include "FileOperations.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>

namespace velto::platform {

int FileOperations::open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t FileOperations::read(int fd, void* buffer, std::size_t count) { return ::read(fd, buffer, count); }
ssize_t FileOperations::write(int fd, const void* buffer, std::size_t count) {
  return ::write(fd, buffer, count);
}
int FileOperations::fstat(int fd, struct stat* status) { return ::fstat(fd, status); }
int FileOperations::lstat(const char* path, struct stat* status) { return ::lstat(path, status); }
int FileOperations::fchmod(int fd, mode_t mode) { return ::fchmod(fd, mode); }
int FileOperations::chmod(const char* path, mode_t mode) { return ::chmod(path, mode); }
int FileOperations::fsync(int fd) { return ::fsync(fd); }
int FileOperations::close(int fd) { return ::close(fd); }
int FileOperations::mkdir(const char* path, mode_t mode) { return ::mkdir(path, mode); }
int FileOperations::rename(const char* from, const char* to) { return ::rename(from, to); }
int FileOperations::unlink(const char* path) { return ::unlink(path); }
int FileOperations::flock(int fd, int operation) { return ::flock(fd, operation); }

FileOperations& FileOperations::system() {
  static FileOperations operations;
  return operations;
}

}  // namespace velto::platform
