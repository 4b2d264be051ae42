// ImageFile: which picture files a renderer can load, and how a bundle's named images map to files.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace velto::toolkit {

/// True when `file` is a regular file (after symbolic links) holding a PNG image: the signature, then a
/// well-formed header chunk with a width and a height of 1 to 16,384 pixels. Anything unreadable is false.
bool loadsAsImage(const std::filesystem::path& file);

/// The file that stands for the image resource `name` of the bundle folder `bundle`: "<name>@2x.png", else
/// "<name>@3x.png", the first that loads as an image. A resource is looked up by name alone, so the plain
/// "<name>.png" is a file of the bundle, not a resource. Nothing when neither loads, or when `name` is
/// empty or holds a '/' or a NUL.
std::optional<std::filesystem::path> namedImage(const std::filesystem::path& bundle, std::string_view name);

}  // namespace velto::toolkit
