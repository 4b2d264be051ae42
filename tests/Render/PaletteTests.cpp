// Tests of the palette: named colours per scheme, sRGB colours as given, and out-of-range values.
#include "Palette.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velto::render {
namespace {

using toolkit::Color;
using toolkit::ColorName;

TEST(Palette, NamedColoursTakeTheSchemesShadeSrgbStaysAsGivenAndComponentsAreClamped) {
  for (ColorName name : {ColorName::primary, ColorName::secondary, ColorName::blue, ColorName::red,
                         ColorName::orange, ColorName::green, ColorName::yellow}) {
    EXPECT_NE(resolve(Color::named(name), ColorScheme::light), resolve(Color::named(name), ColorScheme::dark))
        << static_cast<int>(name);
  }
  const Color tint = Color::srgb(0.231, 0.51, 0.965);
  EXPECT_EQ(resolve(tint, ColorScheme::light), (Rgba{0.231, 0.51, 0.965, 1}));
  EXPECT_EQ(resolve(tint, ColorScheme::dark), (Rgba{0.231, 0.51, 0.965, 1}));
  // Components out of range, NaN among them, are clamped. (How opacity multiplies shows in the colours of the
  // terminal's border and bar track.)
  EXPECT_EQ(resolve(Color::srgb(1.5, -0.2, std::nan("")).opacity(2), ColorScheme::dark), (Rgba{1, 0, 0, 1}));
}

}  // namespace
}  // namespace velto::render
