// Layout fixtures: a tree and the room offered, and every frame that comes of it, in English, and in Chinese
// where wide characters wrap and are cut.
//
// The fake measurer makes a character half its font size wide (a Chinese one its full size) and a line 1.2
// times its font size tall: at 10 points, "Hi" is 10 x 12 and "你好" 20 x 12.
#include <gtest/gtest.h>

#include <limits>
#include <ostream>

#include "FakeTextMeasurer.h"
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
  std::string expected;
  TextSize textSize = TextSize::large;
};
void PrintTo(const Fixture& fixture, std::ostream* out) { *out << fixture.name; }

class LayoutFixture : public ::testing::TestWithParam<Fixture> {};

TEST_P(LayoutFixture, PlacesEveryBox) {
  const FakeTextMeasurer measurer;
  EXPECT_EQ(dumpLayout(layout(GetParam().tree, GetParam().proposed, measurer, GetParam().textSize)),
            GetParam().expected);
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
                {100, 100},
                "box 0,0 25x28\n"
                "  text \"Hi\" @10 15,0 10x12\n"
                "  text \"Hello\" @10 0,16 25x12\n"},
        Fixture{"EmptyElementsTakeNoRoomAndNoSpacing",
                VStack(HorizontalAlignment::leading, 10, {Text("a"), Empty(), Empty().padding(4), Text("b")}).font(ten),
                {200, 200},
                "box 0,0 5x34\n"
                "  text \"a\" @10 0,0 5x12\n"
                "  text \"b\" @10 0,22 5x12\n"},
        Fixture{"DefaultSpacingIsEightExceptBesideASpacer",
                HStack(VerticalAlignment::top, std::nullopt, {Text("a"), Text("b"), Spacer(2), Text("c")}).font(ten),
                {200, 20},
                "box 0,0 200x12\n"
                "  text \"a\" @10 0,0 5x12\n"
                "  text \"b\" @10 13,0 5x12\n"
                "  box 18,0 177x0\n"
                "  text \"c\" @10 195,0 5x12\n"},
        Fixture{"GivenSpacingSurroundsSpacersToo",
                HStack(VerticalAlignment::top, 3, {Text("a"), Spacer(0), Text("c")}).font(ten),
                {30, 20},
                "box 0,0 30x12\n"
                "  text \"a\" @10 0,0 5x12\n"
                "  box 8,0 14x0\n"
                "  text \"c\" @10 25,0 5x12\n"},
        // 120 - 24 for the texts leaves 96; each spacer first keeps its minimum (8, 20, 0), then takes a third
        // of the 68 left over.
        Fixture{"SpacersShareWhatIsLeftEvenly",
                VStack(HorizontalAlignment::center, 0, {Spacer(), Text("a"), Spacer(20), Text("b"), Spacer(0)})
                    .font(ten),
                {50, 120},
                "box 0,0 5x120\n"
                "  box 2.5,0 0x30.667\n"
                "  text \"a\" @10 0,30.667 5x12\n"
                "  box 2.5,42.667 0x42.667\n"
                "  text \"b\" @10 0,85.333 5x12\n"
                "  box 2.5,97.333 0x22.667\n"},
        Fixture{"SpacerOutsideAStackFillsBothWays", Spacer(), {30, 40}, "box 0,0 30x40\n"},
        // The figure, less flexible than the wrapping title, is offered its share first and takes only what it
        // needs; the title then gets the rest, not half.
        Fixture{"LeastFlexibleChildFirst",
                HStack(VerticalAlignment::center, 0, {Text("A long title here"), Text("42%")}).font(ten),
                {50, 50},
                "box 0,0 45x36\n"
                "  text \"A long\\ntitle\\nhere\" @10 0,0 30x36\n"
                "  text \"42%\" @10 30,12 15x12\n"},
        Fixture{"InfiniteMaxWidthFramesAlign",
                VStack(HorizontalAlignment::leading, 0,
                       {Text("Reset").frame({.maxWidth = infinity, .alignment = Alignment::trailing}),
                        Text("Now").frame({.maxWidth = infinity})})
                    .font(ten),
                {100, 40},
                "box 0,0 100x24\n"
                "  box 0,0 100x12\n"
                "    text \"Reset\" @10 75,0 25x12\n"
                "  box 0,12 100x12\n"
                "    text \"Now\" @10 42.5,12 15x12\n"},
        // Both columns take all the width they are offered, so they split it evenly whatever they hold; the
        // right one's text wraps to its column.
        Fixture{"TwoEqualColumns",
                HStack(VerticalAlignment::top, 16,
                       {column({Text("Session"), Bar(0.5, track, fill).frame({.height = 4})}),
                        column({Text("Weekly limit for all models")})})
                    .font(ten),
                {216, 60},
                "box 0,0 216x24\n"
                "  box 0,0 100x20\n"
                "    box 0,0 100x20\n"
                "      text \"Session\" @10 0,0 35x12\n"
                "      box 0,16 100x4\n"
                "        bar 0.5 0,16 100x4\n"
                "  box 116,0 100x24\n"
                "    box 116,0 100x24\n"
                "      text \"Weekly limit for all\\nmodels\" @10 116,0 100x24\n"},
        // A hard line break starts a new line. A height that holds 1e29 lines holds both; the count of lines
        // that fit never overflows an integer.
        Fixture{"HardLineBreakAndAHugeHeight", Text("Line one\nLine two").font(ten).frame({.height = 1e30}), {200, 200},
                "box 0,0 40x1e+30\n"
                "  text \"Line one\\nLine two\" @10 0,5e+29 40x24\n"},
        Fixture{"HardLineBreakEndsAOneLineText", Text("Line one\nLine two").font(ten).lineLimit(1), {200, 200},
                "text \"Line one…\" @10 0,0 45x12\n"},
        Fixture{"OneLineTextFits",
                Text("Balance 1234").font(ten).lineLimit(1).minimumScaleFactor(0.5),
                {100, 50},
                "text \"Balance 1234\" @10 0,0 60x12\n"},
        Fixture{"OneLineTextShrinks",
                Text("Balance 1234").font(ten).lineLimit(1).minimumScaleFactor(0.5),
                {45, 50},
                "text \"Balance 1234\" @7.5 0,0 45x9\n"},
        Fixture{"OneLineTextShrinksToItsMinimumThenIsCut",
                Text("Balance 1234").font(ten).lineLimit(1).minimumScaleFactor(0.5),
                {20, 50},
                "text \"Balance…\" @5 0,0 20x6\n"},
        // 30 points set 36 tall; a 30-point-high frame leaves room for 25 points, within the 0.8 allowed.
        Fixture{"NumbersShrinkToFitTheOfferedHeight",
                Text("42%").font(Font::system(30)).lineLimit(1).minimumScaleFactor(0.8).frame({.height = 30}),
                {200, 200},
                "box 0,0 37.5x30\n"
                "  text \"42%\" @25 0,0 37.5x30\n"},
        Fixture{"NotEvenAnEllipsisFitsLeavesNothingToDraw",
                Text("velto").font(ten).lineLimit(1),
                {4, 20},
                "text \"\" @10 0,0 0x12\n"},
        // A flag is two regional indicators, a cell each here: three of them and "…" would fit, but the third
        // would be half a flag.
        Fixture{"CutsNeverSplitACharacter",
                Text("\U0001F1EF\U0001F1F5\U0001F1EF\U0001F1F5\U0001F1EF\U0001F1F5").font(ten).lineLimit(1),
                {20, 20},
                "text \"\U0001F1EF\U0001F1F5…\" @10 0,0 15x12\n"},
        Fixture{"SpacerKeepsItsMinimumBesideACutText",
                HStack(VerticalAlignment::center, std::nullopt,
                       {Text("Account name").lineLimit(1), Spacer(), Text("lab").lineLimit(1)})
                    .font(ten),
                {60, 20},
                "box 0,0 60x12\n"
                "  text \"Accoun…\" @10 0,0 35x12\n"
                "  box 35,6 10x0\n"
                "  text \"lab\" @10 45,0 15x12\n"},
        Fixture{"MultiLineTextWrapsToItsLimitThenIsCutChinese",
                Text("打开 velto，同步服务器用量。").font(ten).lineLimit(2),
                {50, 100},
                "text \"打开\\nvelto，同…\" @10 0,0 50x24\n"},
        Fixture{"LongWordBreaksBetweenCharacters",
                Text("Supercalifragilistic").font(ten),
                {50, 100},
                "text \"Supercalif\\nragilistic\" @10 0,0 50x24\n"},
        // Inside the cap the styles are sized at most at large (caption 10, title3 15); outside it, at the
        // user's size (caption 23.529 at accessibility3).
        Fixture{"TextSizeCap",
                VStack(HorizontalAlignment::leading, 0,
                       {VStack(HorizontalAlignment::leading, 0,
                               {Text("Updated").font(Font::caption()), Text("42%").font(Font::title3())})
                            .dynamicTypeSize(TextSize::small, TextSize::large),
                        Text("Now").font(Font::caption())}),
                {300, 300},
                "box 0,0 35.294x58.235\n"
                "  box 0,0 35x30\n"
                "    text \"Updated\" @10 0,0 35x12\n"
                "    text \"42%\" @15 0,12 22.5x18\n"
                "  text \"Now\" @23.529 0,30 35.294x28.235\n",
                TextSize::accessibility3},
        Fixture{"BarFractionIsClamped",
                Bar(2.5, track, fill).frame({.height = 4}),
                {120, 50},
                "box 0,0 120x4\n"
                "  bar 1 0,0 120x4\n"},
        Fixture{"BarWithoutAFractionIsEmpty",
                Bar(std::numeric_limits<double>::quiet_NaN(), track, fill),
                {120, 50},
                "bar 0 0,0 120x50\n"},
        Fixture{"Label",
                Label("velto", "clock").font(ten),
                {200, 50},
                "box 0,0 38x12\n"
                "  symbol clock 0,1 10x10\n"
                "  text \"velto\" @10 13,0 25x12\n"},
        Fixture{"FixedFrameHeightLimitsTheLines",
                Text("Corvid Code").padding(4).frame(60, 30).font(ten),
                {200, 200},
                "box 0,0 60x30\n"
                "  box 1,5 58x20\n"
                "    text \"Corvid Co…\" @10 5,9 50x12\n"}));

}  // namespace
}  // namespace velto::toolkit
