// InputFile: a bounded read loop over a descriptor.
#include "InputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace velto::app {

std::string readInput(const std::string& name, std::size_t limit) {
  const bool standardInput = name == "-";
  const int fd = standardInput ? STDIN_FILENO : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw std::system_error(errno, std::generic_category(), name);
  std::string bytes(limit + 1, '\0');
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t count = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (count == 0) break;
    if (count < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      if (!standardInput) ::close(fd);
      throw std::system_error(error, std::generic_category(), standardInput ? "standard input" : name);
    }
    filled += static_cast<std::size_t>(count);
  }
  if (!standardInput) ::close(fd);
  bytes.resize(filled);
  return bytes;
}

}  // namespace velto::app
