// Tests of the Pango measurer: pixel sizes, the faces chosen for Latin and Han, digits and weights.
#include "PangoTextMeasurer.h"

#include <gtest/gtest.h>

namespace velto::render {
namespace {

using namespace toolkit;

// In an English picture: no language hint points fontconfig to the Chinese face; the family list alone does.
TEST(PangoTextMeasurer, HanIsSetInNotoSansCjkScLatinInTheUiFaceFiguresInTheRoundedFace) {
  const auto runs = PangoTextMeasurer(false).runs("Token 近 7 天，已用额度", {.pointSize = 12});
  ASSERT_FALSE(runs.empty());
  bool sawHan = false;
  for (const auto& run : runs) {
    if (run.text.find("近") != std::string::npos || run.text.find("额度") != std::string::npos) {
      sawHan = true;
      EXPECT_EQ(run.family, "Noto Sans CJK SC") << run.text;
    }
  }
  EXPECT_TRUE(sawHan);
  EXPECT_EQ(runs.front().text.substr(0, 5), "Token");
  EXPECT_EQ(runs.front().family, "Inter");
  // Big figures in the rounded design have a face of their own.
  const auto rounded = PangoTextMeasurer(false).runs("42.5%", {.pointSize = 30, .design = FontDesign::rounded});
  ASSERT_EQ(rounded.size(), 1u);
  EXPECT_EQ(rounded.front().family, "Quicksand");
}

TEST(PangoTextMeasurer, SizesArePixelsAndInvalidUtf8IsMeasured) {
  const PangoTextMeasurer measurer(false);
  const Size small = measurer.measure("Updated 10:42", {.pointSize = 11});
  // A line is a little taller than its size in pixels (not 96/72 of it, as points would make it).
  EXPECT_GT(small.height, 11);
  EXPECT_LT(small.height, 11 * 1.3);
  // Invalid UTF-8 is measured, not refused.
  EXPECT_GT(measurer.measure("ab\xff\xfe", {.pointSize = 11}).width, measurer.measure("ab", {.pointSize = 11}).width);
}

TEST(PangoTextMeasurer, EqualWidthDigitsAndWeights) {
  const PangoTextMeasurer measurer(false);
  for (FontDesign design : {FontDesign::standard, FontDesign::rounded}) {
    const ResolvedFont tabular{.pointSize = 30, .weight = FontWeight::semibold, .design = design,
                               .monospacedDigits = true};
    EXPECT_NEAR(measurer.measure("111%", tabular).width, measurer.measure("808%", tabular).width, 0.01)
        << static_cast<int>(design);
  }
  const ResolvedFont regular{.pointSize = 17};
  ResolvedFont bold = regular;
  bold.weight = FontWeight::bold;
  EXPECT_GT(measurer.measure("Weekly quota", bold).width, measurer.measure("Weekly quota", regular).width);
}

}  // namespace
}  // namespace velto::render
