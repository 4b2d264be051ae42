// PngHeader: the first bytes of a PNG file, for tests of code that reads only the header.
#pragma once

#include <cstdint>
#include <string>

namespace velto::testing_support {

/// The signature and a header chunk of `width` x `height` pixels; the CRC and the image data do not matter to
/// a header check.
inline std::string pngHeader(std::uint32_t width, std::uint32_t height, const std::string& type = "IHDR") {
  const auto big32 = [](std::uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>((v >> 16) & 0xFF),
                       static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)};
  };
  return std::string("\x89PNG\r\n\x1a\n", 8) + big32(13) + type + big32(width) + big32(height) +
         std::string("\x08\x06\x00\x00\x00", 5) + big32(0);
}

}  // namespace velto::testing_support
