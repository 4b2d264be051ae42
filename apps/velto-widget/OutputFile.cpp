// OutputFile: the temporary-file-and-rename dance for command output.
#include "OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <ostream>
#include <system_error>

namespace velto::app {
namespace {

[[noreturn]] void fail(const std::string& operation, const std::string& path) {
  throw std::system_error(errno, std::generic_category(), operation + " " + path);
}

}  // namespace

void writeOutput(const std::string& path, std::string_view bytes, std::ostream& out) {
  if (path.empty() || path == "-") {
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return;
  }
  const std::filesystem::path target(path);
  std::string temporary = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) fail("create a temporary file beside", path);
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      const int error = count < 0 ? errno : EIO;
      ::close(fd);
      ::unlink(temporary.c_str());
      errno = error;
      fail("write", path);
    }
    written += static_cast<std::size_t>(count);
  }
  // mkstemp makes the file 0600; an output file is for the user's other programs too, so it gets the usual
  // permissions as the umask allows.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  const bool permitted = ::fchmod(fd, 0666 & ~mask) == 0;
  int finishError = errno;
  const bool closed = ::close(fd) == 0;
  if (!closed) finishError = errno;
  if (!permitted || !closed) {
    ::unlink(temporary.c_str());
    errno = finishError;
    fail("finish", path);
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    errno = error;
    fail("replace", path);
  }
}

}  // namespace velto::app
