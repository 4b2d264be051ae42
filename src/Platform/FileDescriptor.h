// FileDescriptor: the one owner of an open POSIX descriptor.
#pragma once

#include <cerrno>
#include <string_view>
#include <utility>

#include "FileOperations.h"

namespace velto::platform {

/// Owns one open descriptor and closes it, through the file-operations seam it was opened with, when it goes
/// out of scope. Move-only. A close error in the destructor is ignored: either the caller is already failing
/// for another reason, or nothing depends on it; a caller whose outcome depends on close calls close().
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd, FileOperations& files = FileOperations::system()) noexcept
      : files_(&files), fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept
      : files_(other.files_), fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      reset();
      files_ = other.files_;
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { reset(); }

  /// The descriptor, or -1 when none is held.
  int get() const noexcept { return fd_; }
  explicit operator bool() const noexcept { return fd_ >= 0; }

  /// Gives up ownership without closing.
  int release() noexcept { return std::exchange(fd_, -1); }

  /// Writes all of `bytes`, going on after short and interrupted writes; 0, or the errno of the write that
  /// failed (EIO for one that wrote nothing).
  int writeAll(std::string_view bytes) const noexcept {
    std::size_t written = 0;
    while (written < bytes.size()) {
      const ssize_t count = files_->write(fd_, bytes.data() + written, bytes.size() - written);
      if (count < 0 && errno == EINTR) continue;
      // A write that makes no progress would loop for ever.
      if (count <= 0) return count < 0 ? errno : EIO;
      written += static_cast<std::size_t>(count);
    }
    return 0;
  }

  /// Closes now and gives close's result (errno says why on -1). The descriptor is released either way: on
  /// Linux a failed close has still freed it, so retrying could close one another thread just received.
  int close() noexcept { return fd_ < 0 ? 0 : files_->close(std::exchange(fd_, -1)); }

 private:
  void reset() noexcept {
    if (fd_ >= 0) static_cast<void>(files_->close(std::exchange(fd_, -1)));
  }

  FileOperations* files_ = &FileOperations::system();
  int fd_ = -1;
};

}  // namespace velto::platform
