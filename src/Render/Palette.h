// Palette: the colours a renderer paints with, for the light and the dark scheme.
#pragma once

#include "Color.h"

namespace velto::render {

enum class ColorScheme { light, dark };

/// An sRGB colour with its opacity, components 0 to 1.
struct Rgba {
  double red = 0;
  double green = 0;
  double blue = 0;
  double alpha = 1;
  friend bool operator==(const Rgba&, const Rgba&) = default;
};

/// `color` in `scheme`: a named colour takes the scheme's shade (the system's blue, red, orange, the
/// secondary label colour, ...), an sRGB colour stays as it is; the colour's own opacity multiplies in.
Rgba resolve(const toolkit::Color& color, ColorScheme scheme);

/// The widget's background in `scheme`.
Rgba background(ColorScheme scheme);

}  // namespace velto::render
