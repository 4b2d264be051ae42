// FileOperations: the system's implementation, one POSIX call each.
#include "FileOperations.h"

#include <sys/file.h>
#include <unistd.h>

#include <thread>

namespace velto::platform {

int FileOperations::openat(int directory, const char* path, int flags, mode_t mode) {
  return ::openat(directory, path, flags, mode);
}
ssize_t FileOperations::read(int fd, void* buffer, std::size_t count) { return ::read(fd, buffer, count); }
ssize_t FileOperations::write(int fd, const void* buffer, std::size_t count) {
  return ::write(fd, buffer, count);
}
int FileOperations::fstat(int fd, struct stat* status) { return ::fstat(fd, status); }
int FileOperations::fstatat(int directory, const char* path, struct stat* status, int flags) {
  return ::fstatat(directory, path, status, flags);
}
int FileOperations::fchmod(int fd, mode_t mode) { return ::fchmod(fd, mode); }
int FileOperations::fsync(int fd) { return ::fsync(fd); }
int FileOperations::close(int fd) { return ::close(fd); }
int FileOperations::mkdirat(int directory, const char* path, mode_t mode) { return ::mkdirat(directory, path, mode); }
int FileOperations::renameat(int fromDirectory, const char* from, int toDirectory, const char* to) {
  return ::renameat(fromDirectory, from, toDirectory, to);
}
int FileOperations::unlinkat(int directory, const char* path, int flags) {
  return ::unlinkat(directory, path, flags);
}
int FileOperations::flock(int fd, int operation) { return ::flock(fd, operation); }
void FileOperations::pause(std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); }

FileOperations& FileOperations::system() {
  static FileOperations operations;
  return operations;
}

}  // namespace velto::platform
