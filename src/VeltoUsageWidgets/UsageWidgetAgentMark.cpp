// UsageWidgetAgentMark: file, then named resource, then symbol, as the bundle lookup goes.
#include "UsageWidgetAgentMark.h"

#include <system_error>

#include "ImageFile.h"

namespace velto {

toolkit::ImageSource UsageWidgetAgentMark::source(const std::optional<std::filesystem::path>& images) const {
  const bool staysInFolder = agent.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
  if (images && staysInFolder) {
    const auto name = std::string(resourcePrefix) + agent;
    auto file = *images / (name + ".png");
    if (toolkit::loadsAsImage(file)) return toolkit::ImageSource::file(std::move(file));
    if (toolkit::namedImage(*images, name)) return toolkit::ImageSource::resource(*images, name);
  }
  return toolkit::ImageSource::symbol(std::string(fallbackSymbol));
}

toolkit::Element UsageWidgetAgentMark::body(const std::optional<std::filesystem::path>& images) const {
  // Identified by its agent key, so that a renderer with no picture to show (a status bar) can still name it.
  return toolkit::Image(source(images)).resizable().scaledToFit().padding(2).frame(18, 18).accessibilityHidden().id(
      agent);
}

std::optional<std::filesystem::path> UsageWidgetAgentMark::imageFolder(
    const std::vector<std::filesystem::path>& resourceFolders) {
  for (const auto& folder : resourceFolders) {
    auto images = folder / imagesFolderName;
    std::error_code error;
    if (std::filesystem::is_directory(images, error)) return images;
  }
  return std::nullopt;
}

}  // namespace velto
