// ImageFile: a PNG header check, enough to refuse files that no renderer could draw.
#include "ImageFile.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <system_error>

namespace velto::toolkit {
namespace {

constexpr std::array<unsigned char, 8> pngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t largestSide = 16384;

std::uint32_t bigEndian32(const unsigned char* bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
         std::uint32_t{bytes[3]};
}

}  // namespace

bool loadsAsImage(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return false;
  std::ifstream in(file, std::ios::binary);
  // Signature (8), chunk length (4), chunk type (4), width (4), height (4).
  std::array<unsigned char, 24> head{};
  if (!in.read(reinterpret_cast<char*>(head.data()), head.size())) return false;
  if (!std::equal(pngSignature.begin(), pngSignature.end(), head.begin())) return false;
  if (bigEndian32(&head[8]) != 13 || std::string(reinterpret_cast<const char*>(&head[12]), 4) != "IHDR") return false;
  const auto width = bigEndian32(&head[16]);
  const auto height = bigEndian32(&head[20]);
  return width >= 1 && width <= largestSide && height >= 1 && height <= largestSide;
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
