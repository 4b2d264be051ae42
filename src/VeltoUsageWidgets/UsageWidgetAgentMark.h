// UsageWidgetAgentMark: the small picture that stands for an agent beside an account's name.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Element.h"
#include "ImageSource.h"

namespace velto {

/// The mark of one agent, drawn from the package's agent images or, failing those, the "terminal" symbol.
struct UsageWidgetAgentMark {
  std::string agent;

  static constexpr std::string_view resourcePrefix = "UsageAgent-";
  static constexpr std::string_view fallbackSymbol = "terminal";
  /// The folder of a resource folder that holds the agent images.
  static constexpr std::string_view imagesFolderName = "images";

  /// Where the picture comes from, given the agent images folder (nothing: there is none): the file
  /// "UsageAgent-<agent>.png" there when it loads as an image, else the folder's image resource named
  /// "UsageAgent-<agent>" when it has one, else the "terminal" symbol. An agent key that could leave the
  /// folder (a '/' or a NUL) always gets the symbol.
  toolkit::ImageSource source(const std::optional<std::filesystem::path>& images) const;

  /// The mark as an element: the picture scaled to fit, inset by 2 points in an 18 x 18 frame, centred, and
  /// hidden from accessibility (the account's name beside it says who it is), identified by the agent key.
  toolkit::Element body(const std::optional<std::filesystem::path>& images) const;

  /// The agent images folder: "images" inside the first of `resourceFolders` that has one (the program's own
  /// resource folder first, then any other place the package's resources may have been installed to).
  static std::optional<std::filesystem::path> imageFolder(const std::vector<std::filesystem::path>& resourceFolders);

  friend bool operator==(const UsageWidgetAgentMark&, const UsageWidgetAgentMark&) = default;
};

}  // namespace velto
