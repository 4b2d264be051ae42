// ImageFile: which picture files a renderer can load, and how a bundle's named images map to files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velto::toolkit {

/// The width and height in pixels a PNG header gives.
struct PixelDimensions {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  friend bool operator==(const PixelDimensions&, const PixelDimensions&) = default;
};

/// The largest picture file that is read whole: far beyond any mark a widget shows.
inline constexpr std::size_t maximumImageBytes = std::size_t{8} << 20;

/// The dimensions of a PNG image file: a regular file (after symbolic links) holding the signature, then a
/// well-formed header chunk with a width and a height of 1 to 16,384 pixels. Nothing otherwise, or when it
/// cannot be read. Opening never blocks, so a FIFO is refused, not waited on.
std::optional<PixelDimensions> imageDimensions(const std::filesystem::path& file);

/// True when `file` has imageDimensions.
bool loadsAsImage(const std::filesystem::path& file);

/// The whole of a PNG image file of at most maximumImageBytes, checked as imageDimensions checks it and read
/// through the same open descriptor, so that what is decoded is what was checked; nothing otherwise.
std::optional<std::string> readImage(const std::filesystem::path& file);

/// The file that stands for the image resource `name` of the bundle folder `bundle`: "<name>@2x.png", else
/// "<name>@3x.png", the first that loads as an image. A resource is looked up by name alone, so the plain
/// "<name>.png" is a file of the bundle, not a resource. Nothing when neither loads, or when `name` is
/// empty or holds a '/' or a NUL.
std::optional<std::filesystem::path> namedImage(const std::filesystem::path& bundle, std::string_view name);

}  // namespace velto::toolkit
