// StandardOutput: the program's standard output, as a stream that knows why a write failed.
#pragma once

#include <array>
#include <ostream>
#include <streambuf>

namespace velto::app {

/// A stream buffer over a descriptor that keeps the error of the last write that failed, so that a reader that
/// went away (EPIPE) can be told from a full disk, and drops what it could not deliver instead of trying again.
class DescriptorBuffer : public std::streambuf {
 public:
  explicit DescriptorBuffer(int fd);
  DescriptorBuffer(const DescriptorBuffer&) = delete;
  DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;

  /// errno of the last write that failed; 0 while none has.
  int error() const { return error_; }

 protected:
  int_type overflow(int_type character) override;
  int sync() override;

 private:
  int fd_;
  int error_ = 0;
  std::array<char, 8192> buffer_{};
};

/// Flushes `out`. When what was written to it could not be delivered, throws std::system_error "cannot write to
/// standard output" with the failure's errno (EPIPE when its reader has gone), and leaves the stream good and
/// empty for what may follow.
void deliver(std::ostream& out);

/// Opens /dev/null for reading on each of the descriptors 0, 1 and 2 that is closed, so that no file the program
/// opens later becomes its standard output by accident. Writing to such a stand-in fails (EBADF), as writing to
/// the closed descriptor would have.
void reserveStandardDescriptors();

}  // namespace velto::app
