// Palette: the system's colours for the light and the dark scheme, as a renderer paints them.
#include "Palette.h"

namespace velto::render {

namespace {

constexpr Rgba rgb8(int red, int green, int blue, double alpha = 1) {
  return {red / 255.0, green / 255.0, blue / 255.0, alpha};
}

/// The platform's published system colours: the light shade first, then the dark one (a touch brighter, so
/// that it keeps its contrast on a dark background).
struct Shades {
  Rgba light;
  Rgba dark;
};

constexpr Shades shades(toolkit::ColorName name) {
  using toolkit::ColorName;
  switch (name) {
    case ColorName::primary: return {rgb8(0, 0, 0), rgb8(255, 255, 255)};
    // The secondary label colour is a translucent grey, so it tints towards whatever lies beneath.
    case ColorName::secondary: return {rgb8(60, 60, 67, 0.6), rgb8(235, 235, 245, 0.6)};
    case ColorName::blue: return {rgb8(0, 122, 255), rgb8(10, 132, 255)};
    case ColorName::green: return {rgb8(52, 199, 89), rgb8(48, 209, 88)};
    case ColorName::orange: return {rgb8(255, 149, 0), rgb8(255, 159, 10)};
    case ColorName::red: return {rgb8(255, 59, 48), rgb8(255, 69, 58)};
    case ColorName::yellow: return {rgb8(255, 204, 0), rgb8(255, 214, 10)};
    case ColorName::gray: return {rgb8(142, 142, 147), rgb8(142, 142, 147)};
  }
  return {rgb8(0, 0, 0), rgb8(255, 255, 255)};
}

double unit(double value) { return value < 0 ? 0 : (value > 1 ? 1 : value); }

}  // namespace

Rgba resolve(const toolkit::Color& color, ColorScheme scheme) {
  Rgba result{color.red, color.green, color.blue, 1};
  if (color.name) {
    const Shades both = shades(*color.name);
    result = scheme == ColorScheme::light ? both.light : both.dark;
  }
  // NaN fails every comparison in `unit`, so guard it explicitly: an unusable component draws as 0.
  auto clean = [](double value) { return value == value ? unit(value) : 0.0; };
  return {clean(result.red), clean(result.green), clean(result.blue), clean(result.alpha * color.alpha)};
}

Rgba background(ColorScheme scheme) {
  return scheme == ColorScheme::light ? rgb8(255, 255, 255) : rgb8(28, 28, 30);
}

}  // namespace velto::render
