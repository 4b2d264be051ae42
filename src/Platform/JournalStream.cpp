// JournalStream: the variable's device and inode against fstat of the descriptor.
#include "JournalStream.h"

#include <sys/stat.h>

#include <charconv>
#include <cstdint>

namespace velto::platform {

bool isJournalStream(const std::optional<std::string_view>& journalStream, int fd) {
  if (!journalStream) return false;
  const std::string_view text = *journalStream;
  const auto colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  std::uintmax_t device = 0;
  std::uintmax_t inode = 0;
  const auto [deviceEnd, deviceError] = std::from_chars(text.data(), text.data() + colon, device);
  const auto [inodeEnd, inodeError] = std::from_chars(text.data() + colon + 1, text.data() + text.size(), inode);
  if (deviceError != std::errc() || deviceEnd != text.data() + colon || inodeError != std::errc() ||
      inodeEnd != text.data() + text.size()) {
    return false;
  }
  struct stat status {};
  return ::fstat(fd, &status) == 0 && status.st_dev == device && status.st_ino == inode;
}

}  // namespace velto::platform
