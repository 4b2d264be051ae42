// Font: a named text style that follows the user's text size, or the system font at a fixed size.
#pragma once

#include <optional>

namespace velto::toolkit {

/// The platform's named text styles, largest first.
enum class TextStyle { largeTitle, title, title2, title3, headline, subheadline, body, callout, footnote, caption, caption2 };

enum class FontWeight { ultraLight, thin, light, regular, medium, semibold, bold, heavy, black };

/// `rounded` is the system font's rounded design, used for big figures.
enum class FontDesign { standard, rounded, serif, monospaced };

/// A font: a text style (whose size follows the text size) or a fixed point size of the system font.
/// An absent weight means the style's own (a headline is semibold by itself), or regular for the system font.
struct Font {
  std::optional<TextStyle> textStyle;  ///< absent: the system font at `size` points
  double size = 0;
  std::optional<FontWeight> fontWeight;
  FontDesign fontDesign = FontDesign::standard;

  static constexpr Font style(TextStyle style) { return {.textStyle = style}; }
  static constexpr Font system(double size, std::optional<FontWeight> weight = std::nullopt,
                               FontDesign design = FontDesign::standard) {
    return {.size = size, .fontWeight = weight, .fontDesign = design};
  }
  static constexpr Font title3() { return style(TextStyle::title3); }
  static constexpr Font headline() { return style(TextStyle::headline); }
  static constexpr Font subheadline() { return style(TextStyle::subheadline); }
  static constexpr Font caption() { return style(TextStyle::caption); }
  static constexpr Font caption2() { return style(TextStyle::caption2); }

  /// This font in `weight`.
  constexpr Font weight(FontWeight weight) const {
    Font result = *this;
    result.fontWeight = weight;
    return result;
  }

  friend bool operator==(const Font&, const Font&) = default;
};

}  // namespace velto::toolkit
