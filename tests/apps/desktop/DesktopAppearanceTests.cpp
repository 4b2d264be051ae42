// Tests of how the desktop host reads the desktop's scheme and text scaling.
#include <gtest/gtest.h>

#include "DesktopAppearance.h"

namespace velto::desktop {
namespace {

using render::ColorScheme;
using toolkit::TextSize;

TEST(DesktopAppearance, ThePortalDecidesWhenItHasAPreferenceElseGtkDoes) {
  struct Case {
    std::optional<std::uint32_t> portal;
    bool gtkPrefersDark;
    std::string theme;
    ColorScheme expected;
  };
  const Case cases[] = {
      {1, false, "Adwaita", ColorScheme::dark},
      {2, true, "Adwaita-dark", ColorScheme::light},
      {0, true, "Adwaita", ColorScheme::dark},
      {std::nullopt, false, "Arc-Dark", ColorScheme::dark},
      {std::nullopt, false, "Adwaita:dark", ColorScheme::dark},
      {std::nullopt, false, "Darkroom", ColorScheme::light},
      {7, false, "", ColorScheme::light},  // an unknown value is no preference
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.theme + " " + std::to_string(c.portal.value_or(99)));
    EXPECT_EQ(preferredScheme(c.portal, c.gtkPrefersDark, c.theme), c.expected);
  }
}

TEST(DesktopAppearance, TextScalingBecomesTheNearestStandardSize) {
  struct Case {
    double factor;
    TextSize expected;
  };
  // Body text is 17 points at large: 14 at xSmall, 23 at xxxLarge, 53 at accessibility5.
  const Case cases[] = {
      {1.0, TextSize::large}, {0.5, TextSize::xSmall}, {4.0, TextSize::accessibility5},
      {1.5, TextSize::xxxLarge},  // halfway between 23 and 28 points
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.factor);
    EXPECT_EQ(textSizeForScaling(c.factor), c.expected);
  }
}

}  // namespace
}  // namespace velto::desktop
