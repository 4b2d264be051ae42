// StandardOutput: a small buffered writer over write(2), and the guard for closed standard descriptors.
#include "StandardOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace velto::app {

DescriptorBuffer::DescriptorBuffer(int fd) : fd_(fd) { setp(buffer_.data(), buffer_.data() + buffer_.size()); }

DescriptorBuffer::int_type DescriptorBuffer::overflow(int_type character) {
  if (sync() != 0) return traits_type::eof();
  if (traits_type::eq_int_type(character, traits_type::eof())) return traits_type::not_eof(character);
  *pptr() = traits_type::to_char_type(character);
  pbump(1);
  return character;
}

int DescriptorBuffer::sync() {
  const char* next = pbase();
  bool failed = false;
  while (next < pptr()) {
    const ssize_t count = ::write(fd_, next, static_cast<std::size_t>(pptr() - next));
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      error_ = count < 0 ? errno : EIO;
      failed = true;
      break;
    }
    next += count;
  }
  // What could not be delivered is dropped: writing it again would only fail again.
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return failed ? -1 : 0;
}

void deliver(std::ostream& out) {
  out.flush();
  if (out) return;
  const auto* buffer = dynamic_cast<const DescriptorBuffer*>(out.rdbuf());
  const int error = buffer != nullptr && buffer->error() != 0 ? buffer->error() : EIO;
  out.clear();
  throw std::system_error(error, std::generic_category(), "cannot write to standard output");
}

void reserveStandardDescriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    // open gives the lowest free descriptor, which is this one when it is closed.
    if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF) static_cast<void>(::open("/dev/null", O_RDONLY | O_NOCTTY));
  }
}

}  // namespace velto::app
