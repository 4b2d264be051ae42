// Bundle: finds the resource folder from the executable's own location and reads its property lists.
#include "Bundle.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "FileOperations.h"
#include "PropertyList.h"

namespace velto::platform {
namespace {

// Far more than any bundle's property list; a larger file is treated as malformed rather than read whole.
constexpr std::size_t maximumPropertyListBytes = std::size_t{1} << 20;

// The bytes of a regular file of at most maximumPropertyListBytes; nothing otherwise. Opening never blocks,
// so a FIFO in the bundle cannot hang the caller.
std::optional<std::string> readBoundedFile(const std::filesystem::path& path) {
  auto& files = FileOperations::system();
  const int fd = files.open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> bytes;
  struct stat status {};
  if (files.fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
    // The size fstat gives is only a first guess: the file may grow or shrink while it is read. One byte past
    // the expected end (or past the limit) tells growth apart from a file read whole.
    const auto expected = static_cast<std::size_t>(std::max<off_t>(status.st_size, 0));
    std::string buffer(std::min(expected, maximumPropertyListBytes) + 1, '\0');
    std::size_t total = 0;
    bool failed = false;
    while (total <= maximumPropertyListBytes) {
      if (total == buffer.size()) buffer.resize(std::min(buffer.size() * 2, maximumPropertyListBytes + 1));
      const ssize_t count = files.read(fd, buffer.data() + total, buffer.size() - total);
      if (count < 0 && errno == EINTR) continue;
      if (count < 0) failed = true;
      if (count <= 0) break;
      total += static_cast<std::size_t>(count);
    }
    if (!failed && total <= maximumPropertyListBytes) {
      buffer.resize(total);
      bytes = std::move(buffer);
    }
  }
  files.close(fd);
  return bytes;
}

// The property list in a file; nothing when it is missing or does not parse.
std::optional<PropertyList> readPropertyList(const std::filesystem::path& path) {
  const auto bytes = readBoundedFile(path);
  return bytes ? PropertyList::parse(*bytes) : std::nullopt;
}

}  // namespace

std::optional<std::filesystem::path> resourceDirectory() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::nullopt;
  return executable.parent_path().parent_path() / "share" / "velto-widget";
}

std::optional<Bundle> Bundle::main() {
  auto folder = platform::resourceDirectory();
  std::error_code error;
  if (!folder || !std::filesystem::is_directory(*folder, error)) return std::nullopt;
  return Bundle(std::move(*folder));
}

std::optional<std::string> Bundle::infoString(std::string_view key) const {
  const auto list = readPropertyList(resourceDirectory_ / "Info.plist");
  return list ? list->string(key) : std::nullopt;
}

std::vector<std::string> Bundle::applicationGroups() const {
  const auto list = readPropertyList(resourceDirectory_ / "velto-widget.entitlements");
  return list ? list->strings("com.apple.security.application-groups") : std::vector<std::string>{};
}

}  // namespace velto::platform
