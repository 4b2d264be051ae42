// ImageFile: a PNG header check on bytes read through one descriptor, enough to refuse files that no renderer
// could draw.
#include "ImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace velto::toolkit {
namespace {

constexpr std::string_view pngSignature{"\x89PNG\r\n\x1A\n", 8};
// Signature (8), chunk length (4), chunk type (4), width (4), height (4).
constexpr std::size_t headerBytes = 24;
constexpr std::uint32_t largestSide = 16384;

std::uint32_t bigEndian32(std::string_view bytes) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  return value;
}

std::optional<PixelDimensions> headerDimensions(std::string_view head) {
  if (head.size() < headerBytes || !head.starts_with(pngSignature)) return std::nullopt;
  if (bigEndian32(head.substr(8)) != 13 || head.substr(12, 4) != "IHDR") return std::nullopt;
  const PixelDimensions dimensions{bigEndian32(head.substr(16)), bigEndian32(head.substr(20))};
  const auto fits = [](std::uint32_t side) { return side >= 1 && side <= largestSide; };
  if (!fits(dimensions.width) || !fits(dimensions.height)) return std::nullopt;
  return dimensions;
}

/// Up to `limit` bytes from the start of a regular file; nothing when it is not one or cannot be read.
std::optional<std::string> readRegularFile(const std::filesystem::path& file, std::size_t limit) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  // The size is a first guess: the file may change while it is read.
  std::string bytes(std::min(static_cast<std::size_t>(std::max<off_t>(status.st_size, 0)), limit), '\0');
  std::size_t total = 0;
  while (total < limit) {
    if (total == bytes.size()) bytes.resize(std::min(std::max(bytes.size() * 2, std::size_t{4096}), limit));
    const ssize_t count = ::read(fd, bytes.data() + total, bytes.size() - total);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return std::nullopt;
    if (count == 0) break;
    total += static_cast<std::size_t>(count);
  }
  bytes.resize(total);
  return bytes;
}

}  // namespace

std::optional<PixelDimensions> imageDimensions(const std::filesystem::path& file) {
  const auto head = readRegularFile(file, headerBytes);
  return head ? headerDimensions(*head) : std::nullopt;
}

bool loadsAsImage(const std::filesystem::path& file) { return imageDimensions(file).has_value(); }

std::optional<std::string> readImage(const std::filesystem::path& file) {
  // One byte past the limit tells a file that is too large from one read whole.
  auto bytes = readRegularFile(file, maximumImageBytes + 1);
  if (!bytes || bytes->size() > maximumImageBytes || !headerDimensions(*bytes)) return std::nullopt;
  return bytes;
}

std::optional<std::filesystem::path> namedImage(const std::filesystem::path& bundle, std::string_view name) {
  // A name is one file name inside the bundle, never a way out of it.
  if (name.empty() || name.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos) return std::nullopt;
  for (const std::string_view scale : {"@2x.png", "@3x.png"}) {
    auto file = bundle / (std::string(name) + std::string(scale));
    if (loadsAsImage(file)) return file;
  }
  return std::nullopt;
}

}  // namespace velto::toolkit
