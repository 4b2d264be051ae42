// TextSize: the user's preferred text size, which scales the named text styles.
#pragma once

#include <optional>
#include <string_view>

namespace velto::toolkit {

/// The twelve standard text sizes, smallest first; the last five are the accessibility sizes.
enum class TextSize {
  xSmall, small, medium, large, xLarge, xxLarge, xxxLarge,
  accessibility1, accessibility2, accessibility3, accessibility4, accessibility5
};

/// A closed range of text sizes, for a cap on the text size of a subtree.
struct TextSizeRange {
  TextSize lower = TextSize::xSmall;
  TextSize upper = TextSize::accessibility5;

  /// `size` moved into the range.
  TextSize clamp(TextSize size) const { return size < lower ? lower : (upper < size ? upper : size); }

  friend bool operator==(const TextSizeRange&, const TextSizeRange&) = default;
};

/// The size's name as written on a command line and in dumps: "xSmall", ..., "accessibility5".
std::string_view name(TextSize size);

/// The size of that name (exactly as `name` writes it); nothing for any other text.
std::optional<TextSize> textSizeNamed(std::string_view name);

}  // namespace velto::toolkit
