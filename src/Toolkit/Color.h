// Color: a foreground colour as the renderer should resolve it, by meaning or by sRGB components.
#pragma once

#include <optional>

namespace velto::toolkit {

/// Colours that a renderer maps to its own palette (light or dark, terminal or picture).
enum class ColorName { primary, secondary, blue, green, orange, red, yellow, gray };

/// A semantic colour or an sRGB colour, with an opacity from 0 to 1.
struct Color {
  std::optional<ColorName> name;  ///< absent: the sRGB components below
  double red = 0;
  double green = 0;
  double blue = 0;
  double alpha = 1;

  static constexpr Color named(ColorName name) { return {.name = name}; }
  static constexpr Color srgb(double red, double green, double blue) {
    return {.red = red, .green = green, .blue = blue};
  }
  static constexpr Color primary() { return named(ColorName::primary); }
  static constexpr Color secondary() { return named(ColorName::secondary); }

  /// This colour with its opacity multiplied by `opacity`.
  constexpr Color opacity(double opacity) const {
    Color result = *this;
    result.alpha *= opacity;
    return result;
  }

  friend bool operator==(const Color&, const Color&) = default;
};

}  // namespace velto::toolkit
