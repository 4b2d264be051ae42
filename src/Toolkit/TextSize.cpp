// TextSize: names of the standard text sizes.
#include "TextSize.h"

#include <array>

namespace velto::toolkit {
namespace {

constexpr std::array<std::string_view, 12> names{
    "xSmall",         "small",          "medium",         "large",          "xLarge",         "xxLarge",
    "xxxLarge",       "accessibility1", "accessibility2", "accessibility3", "accessibility4", "accessibility5"};

}  // namespace

std::string_view name(TextSize size) { return names.at(static_cast<std::size_t>(size)); }

std::optional<TextSize> textSizeNamed(std::string_view name) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return static_cast<TextSize>(i);
  }
  return std::nullopt;
}

}  // namespace velto::toolkit
