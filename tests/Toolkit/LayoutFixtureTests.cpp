// Layout fixtures: a tree and the room offered, and every frame that comes of it (in the golden file
// tests/fixtures/toolkit/layout/<name>.txt), in English, and in Chinese where wide characters wrap and are cut.
//
// The fake measurer makes a character half its font size wide (a Chinese one its full size) and a line 1.2
// times its font size tall: at 10 points, "Hi" is 10 x 12 and "你好" 20 x 12.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <ostream>

#include "FakeTextMeasurer.h"
#include "Golden.h"
#include "Layout.h"
#include "LayoutTesting.h"

namespace velto::toolkit {
namespace {

using testing_support::dumpLayout;
using testing_support::FakeTextMeasurer;

const Font ten = Font::system(10);
const Color track = Color::secondary().opacity(0.18);
const Color fill = Color::named(ColorName::blue);

struct Fixture {
  const char* name;
  Element tree;
  Size proposed;
};
void PrintTo(const Fixture& fixture, std::ostream* out) { *out << fixture.name; }

class LayoutFixture : public ::testing::TestWithParam<Fixture> {};

TEST_P(LayoutFixture, PlacesEveryBox) {
  const FakeTextMeasurer measurer;
  const Fixture& fixture = GetParam();
  const auto golden = std::filesystem::path(VELTO_FIXTURES_DIR) / "toolkit" / "layout" / fixture.name;
  testing_support::expectGolden(golden.string() + ".txt",
                                dumpLayout(layout(fixture.tree, fixture.proposed, measurer, TextSize::large)));
}

Element column(std::vector<Element> rows) {
  return VStack(HorizontalAlignment::leading, 4, std::move(rows))
      .frame({.maxWidth = infinity, .alignment = Alignment::leading});
}

INSTANTIATE_TEST_SUITE_P(
    Layout, LayoutFixture,
    ::testing::Values(
        Fixture{"VStackSpacingAndAlignment",
                VStack(HorizontalAlignment::trailing, 4, {Text("Hi"), Text("Hello")}).font(ten),
                {100, 100}},
        Fixture{"EmptyElementsTakeNoRoomAndNoSpacing",
                VStack(HorizontalAlignment::leading, 10, {Text("a"), Empty(), Empty().padding(4), Text("b")}).font(ten),
                {200, 200}},
        Fixture{"DefaultSpacingIsEightExceptBesideASpacer",
                HStack(VerticalAlignment::top, std::nullopt, {Text("a"), Text("b"), Spacer(2), Text("c")}).font(ten),
                {200, 20}},
        Fixture{"GivenSpacingSurroundsSpacersToo",
                HStack(VerticalAlignment::top, 3, {Text("a"), Spacer(0), Text("c")}).font(ten),
                {30, 20}},
        // 120 - 24 for the texts leaves 96; each spacer first keeps its minimum (8, 20, 0), then takes a third
        // of the 68 left over.
        Fixture{"SpacersShareWhatIsLeftEvenly",
                VStack(HorizontalAlignment::center, 0, {Spacer(), Text("a"), Spacer(20), Text("b"), Spacer(0)})
                    .font(ten),
                {50, 120}},
        Fixture{"SpacerOutsideAStackFillsBothWays", Spacer(), {30, 40}},
        // The figure, less flexible than the wrapping title, is offered its share first and takes only what it
        // needs; the title then gets the rest, not half.
        Fixture{"LeastFlexibleChildFirst",
                HStack(VerticalAlignment::center, 0, {Text("A long title here"), Text("42%")}).font(ten),
                {50, 50}},
        Fixture{"InfiniteMaxWidthFramesAlign",
                VStack(HorizontalAlignment::leading, 0,
                       {Text("Reset").frame({.maxWidth = infinity, .alignment = Alignment::trailing}),
                        Text("Now").frame({.maxWidth = infinity})})
                    .font(ten),
                {100, 40}},
        // Both columns take all the width they are offered, so they split it evenly whatever they hold; the
        // right one's text wraps to its column.
        Fixture{"TwoEqualColumns",
                HStack(VerticalAlignment::top, 16,
                       {column({Text("Session"), Bar(0.5, track, fill).frame({.height = 4})}),
                        column({Text("Weekly limit for all models")})})
                    .font(ten),
                {216, 60}},
        // A hard line break starts a new line. A height that holds 1e29 lines holds both; the count of lines
        // that fit never overflows an integer.
        Fixture{"HardLineBreakAndAHugeHeight", Text("Line one\nLine two").font(ten).frame({.height = 1e30}),
                {200, 200}},
        Fixture{"HardLineBreakEndsAOneLineText", Text("Line one\nLine two").font(ten).lineLimit(1), {200, 200}},
        Fixture{"OneLineTextFits",
                Text("Balance 1234").font(ten).lineLimit(1).minimumScaleFactor(0.5),
                {100, 50}},
        Fixture{"OneLineTextShrinks",
                Text("Balance 1234").font(ten).lineLimit(1).minimumScaleFactor(0.5),
                {45, 50}},
        Fixture{"OneLineTextShrinksToItsMinimumThenIsCut",
                Text("Balance 1234").font(ten).lineLimit(1).minimumScaleFactor(0.5),
                {20, 50}},
        // 30 points set 36 tall; a 30-point-high frame leaves room for 25 points, within the 0.8 allowed.
        Fixture{"NumbersShrinkToFitTheOfferedHeight",
                Text("42%").font(Font::system(30)).lineLimit(1).minimumScaleFactor(0.8).frame({.height = 30}),
                {200, 200}},
        Fixture{"NotEvenAnEllipsisFitsLeavesNothingToDraw",
                Text("velto").font(ten).lineLimit(1),
                {4, 20}},
        // A flag is two regional indicators, a cell each here: three of them and "…" would fit, but the third
        // would be half a flag.
        Fixture{"CutsNeverSplitACharacter",
                Text("\U0001F1EF\U0001F1F5\U0001F1EF\U0001F1F5\U0001F1EF\U0001F1F5").font(ten).lineLimit(1),
                {20, 20}},
        Fixture{"SpacerKeepsItsMinimumBesideACutText",
                HStack(VerticalAlignment::center, std::nullopt,
                       {Text("Account name").lineLimit(1), Spacer(), Text("lab").lineLimit(1)})
                    .font(ten),
                {60, 20}},
        Fixture{"MultiLineTextWrapsToItsLimitThenIsCutChinese",
                Text("打开 velto，同步服务器用量。").font(ten).lineLimit(2),
                {50, 100}},
        Fixture{"LongWordBreaksBetweenCharacters",
                Text("Supercalifragilistic").font(ten),
                {50, 100}},
        Fixture{"BarFractionIsClamped",
                Bar(2.5, track, fill).frame({.height = 4}),
                {120, 50}},
        Fixture{"BarWithoutAFractionIsEmpty",
                Bar(std::numeric_limits<double>::quiet_NaN(), track, fill),
                {120, 50}},
        Fixture{"Label",
                Label("velto", "clock").font(ten),
                {200, 50}},
        Fixture{"FixedFrameHeightLimitsTheLines",
                Text("Corvid Code").padding(4).frame(60, 30).font(ten),
                {200, 200}}));

}  // namespace
}  // namespace velto::toolkit
