// ImageSource: where an image element's picture comes from.
#pragma once

#include <filesystem>
#include <string>

namespace velto::toolkit {

/// A picture file, a named image resource of a bundle folder (resolved with `namedImage`), or one of the
/// system symbols that every renderer draws itself ("square.split.2x2", "terminal", "clock").
struct ImageSource {
  enum class Kind { bundleFile, bundleResource, systemSymbol };

  Kind kind = Kind::systemSymbol;
  std::filesystem::path location;  ///< the file, or the bundle folder of a resource; empty for a symbol
  std::string name;                ///< the resource's or the symbol's name; empty for a file

  static ImageSource file(std::filesystem::path file) { return {Kind::bundleFile, std::move(file), {}}; }
  static ImageSource resource(std::filesystem::path bundle, std::string name) {
    return {Kind::bundleResource, std::move(bundle), std::move(name)};
  }
  static ImageSource symbol(std::string name) { return {Kind::systemSymbol, {}, std::move(name)}; }

  friend bool operator==(const ImageSource&, const ImageSource&) = default;
};

}  // namespace velto::toolkit
