// Layout fixtures: a tree and the room offered, and every frame that comes of it, in English,
// and in Chinese too where wide characters wrap or are cut differently.
//
// The fake measurer makes a character half its font size wide (a Chinese one its full size) and a line 1.2
// times its font size tall: at 10 points, "Hi" is 10 x 12 and "你好" 20 x 12.
#include <gtest/gtest.h>

#include <functional>
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
  std::function<Element()> tree;
  Size proposed;
  std::string expected;
  TextSize textSize = TextSize::large;
};
void PrintTo(const Fixture& fixture, std::ostream* out) { *out << fixture.name; }

class LayoutFixture : public ::testing::TestWithParam<Fixture> {};

TEST_P(LayoutFixture, PlacesEveryBox) {
  const FakeTextMeasurer measurer;
  EXPECT_EQ(dumpLayout(layout(GetParam().tree(), GetParam().proposed, measurer, GetParam().textSize)),
            GetParam().expected);
}

Element stackOfTwo(std::string first, std::string second) {
  return VStack(HorizontalAlignment::trailing, 4, {Text(std::move(first)), Text(std::move(second))}).font(ten);
}

Element spacedRow(std::string leading, std::string trailing) {
  return HStack(VerticalAlignment::center, std::nullopt,
                {Text(std::move(leading)), Spacer(), Text(std::move(trailing))})
      .font(ten);
}

Element titleAndFigure(std::string title, std::string figure) {
  return HStack(VerticalAlignment::center, 0, {Text(std::move(title)), Text(std::move(figure))}).font(ten);
}

Element alignedFrames(std::string trailing, std::string centred) {
  return VStack(HorizontalAlignment::leading, 0,
                {Text(std::move(trailing)).frame({.maxWidth = infinity, .alignment = Alignment::trailing}),
                 Text(std::move(centred)).frame({.maxWidth = infinity})})
      .font(ten);
}

Element columns(std::string left, std::string right) {
  const auto column = [](std::vector<Element> rows) {
    return VStack(HorizontalAlignment::leading, 4, std::move(rows))
        .frame({.maxWidth = infinity, .alignment = Alignment::leading});
  };
  return HStack(VerticalAlignment::top, 16,
                {column({Text(std::move(left)), Bar(0.5, track, fill).frame({.height = 4})}),
                 column({Text(std::move(right))})})
      .font(ten);
}

Element shrinking(std::string text) { return Text(std::move(text)).font(ten).lineLimit(1).minimumScaleFactor(0.5); }

Element capped(std::string inside, std::string outside) {
  return VStack(HorizontalAlignment::leading, 0,
                {VStack(HorizontalAlignment::leading, 0,
                        {Text(std::move(inside)).font(Font::caption()), Text("42%").font(Font::title3())})
                     .dynamicTypeSize(TextSize::small, TextSize::large),
                 Text(std::move(outside)).font(Font::caption())});
}

Element barUnder(std::string title) {
  return VStack(HorizontalAlignment::leading, 2, {Text(std::move(title)), Bar(0.25, track, fill).frame({.height = 6})})
      .padding(5)
      .font(ten);
}

Element framed(std::string text) { return Text(std::move(text)).padding(4).frame(60, 30).font(ten); }

Element cutRow(std::string leading, std::string trailing) {
  return HStack(VerticalAlignment::center, std::nullopt,
                {Text(std::move(leading)).lineLimit(1), Spacer(), Text(std::move(trailing)).lineLimit(1)})
      .font(ten);
}

INSTANTIATE_TEST_SUITE_P(
    Layout, LayoutFixture,
    ::testing::Values(Fixture{"VStackSpacingAndAlignmentEnglish",
                              [] { return stackOfTwo("Hi", "Hello"); },
                              {100, 100},
                              "box 0,0 25x28\n"
                              "  text \"Hi\" @10 15,0 10x12\n"
                              "  text \"Hello\" @10 0,16 25x12\n"},
                      // The texts take what they need; the spacer, with no stack spacing around it, takes the rest.
                      Fixture{"HStackSpacerEnglish",
                              [] { return spacedRow("Plan", "42%"); },
                              {100, 50},
                              "box 0,0 100x12\n"
                              "  text \"Plan\" @10 0,0 20x12\n"
                              "  box 20,6 65x0\n"
                              "  text \"42%\" @10 85,0 15x12\n"},
                      // The figure, less flexible than the wrapping title, is offered its share first and takes only
                      // what it needs; the title then gets the rest, not half.
                      Fixture{"LeastFlexibleChildFirstEnglish",
                              [] { return titleAndFigure("A long title here", "42%"); },
                              {50, 50},
                              "box 0,0 45x36\n"
                              "  text \"A long\\ntitle\\nhere\" @10 0,0 30x36\n"
                              "  text \"42%\" @10 30,12 15x12\n"},
                      Fixture{"LeastFlexibleChildFirstChinese",
                              [] { return titleAndFigure("很长的标题文字", "四成"); },
                              {50, 50},
                              "box 0,0 50x36\n"
                              "  text \"很长的\\n标题文\\n字\" @10 0,0 30x36\n"
                              "  text \"四成\" @10 30,12 20x12\n"},
                      Fixture{"InfiniteMaxWidthFramesAlignEnglish",
                              [] { return alignedFrames("Reset", "Now"); },
                              {100, 40},
                              "box 0,0 100x24\n"
                              "  box 0,0 100x12\n"
                              "    text \"Reset\" @10 75,0 25x12\n"
                              "  box 0,12 100x12\n"
                              "    text \"Now\" @10 42.5,12 15x12\n"},
                      // Both columns take all the width they are offered, so they split it evenly whatever they hold;
                      // the right one's text wraps to its column.
                      Fixture{"TwoEqualColumnsEnglish",
                              [] { return columns("Session", "Weekly limit for all models"); },
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
                      Fixture{"TwoEqualColumnsChinese",
                              [] { return columns("会话", "每周限额适用于所有模型"); },
                              {216, 60},
                              "box 0,0 216x24\n"
                              "  box 0,0 100x20\n"
                              "    box 0,0 100x20\n"
                              "      text \"会话\" @10 0,0 20x12\n"
                              "      box 0,16 100x4\n"
                              "        bar 0.5 0,16 100x4\n"
                              "  box 116,0 100x24\n"
                              "    box 116,0 100x24\n"
                              "      text \"每周限额适用于所有模\\n型\" @10 116,0 100x24\n"},
                      Fixture{"OneLineTextFitsEnglish",
                              [] { return shrinking("Balance 1234"); },
                              {100, 50},
                              "text \"Balance 1234\" @10 0,0 60x12\n"},
                      Fixture{"OneLineTextShrinksEnglish",
                              [] { return shrinking("Balance 1234"); },
                              {45, 50},
                              "text \"Balance 1234\" @7.5 0,0 45x9\n"},
                      Fixture{"OneLineTextShrinksToItsMinimumThenIsCutEnglish",
                              [] { return shrinking("Balance 1234"); },
                              {20, 50},
                              "text \"Balance…\" @5 0,0 20x6\n"},
                      Fixture{"OneLineTextShrinksToItsMinimumThenIsCutChinese",
                              [] { return shrinking("账户余额"); },
                              {15, 50},
                              "text \"账户…\" @5 0,0 12.5x6\n"},
                      Fixture{"OneLineTextWithoutScaleIsCutEnglish",
                              [] { return Text("Balance 1234").font(ten).lineLimit(1); },
                              {45, 50},
                              "text \"Balance…\" @10 0,0 40x12\n"},
                      // A spacer keeps its minimum (8) even when the text beside it must be cut.
                      Fixture{"SpacerKeepsItsMinimumBesideACutTextEnglish",
                              [] { return cutRow("Account name", "lab"); },
                              {60, 20},
                              "box 0,0 60x12\n"
                              "  text \"Accoun…\" @10 0,0 35x12\n"
                              "  box 35,6 10x0\n"
                              "  text \"lab\" @10 45,0 15x12\n"},
                      Fixture{"SpacerKeepsItsMinimumBesideACutTextChinese",
                              [] { return cutRow("账户名称很长", "实验"); },
                              {60, 20},
                              "box 0,0 60x12\n"
                              "  text \"账户…\" @10 0,0 25x12\n"
                              "  box 25,6 15x0\n"
                              "  text \"实验\" @10 40,0 20x12\n"},
                      Fixture{"MultiLineTextWrapsToItsLimitThenIsCutEnglish",
                              [] { return Text("Open velto to sync your server.").font(ten).lineLimit(2); },
                              {50, 100},
                              "text \"Open velto\\nto sync y…\" @10 0,0 50x24\n"},
                      Fixture{"MultiLineTextWrapsToItsLimitThenIsCutChinese",
                              [] { return Text("打开 velto，同步服务器用量。").font(ten).lineLimit(2); },
                              {50, 100},
                              "text \"打开\\nvelto，同…\" @10 0,0 50x24\n"},
                      Fixture{"LongWordBreaksBetweenCharactersEnglish",
                              [] { return Text("Supercalifragilistic").font(ten); },
                              {50, 100},
                              "text \"Supercalif\\nragilistic\" @10 0,0 50x24\n"},
                      Fixture{"LongWordBreaksBetweenCharactersChinese",
                              [] { return Text("每周限额适用于所有模型").font(ten); },
                              {50, 100},
                              "text \"每周限额适\\n用于所有模\\n型\" @10 0,0 50x36\n"},
                      // Inside the cap the styles are sized at most at large (caption 10, title3 15); outside it, at
                      // the user's size (caption 23.529 at accessibility3).
                      Fixture{"TextSizeCapEnglish",
                              [] { return capped("Updated", "Now"); },
                              {300, 300},
                              "box 0,0 35.294x58.235\n"
                              "  box 0,0 35x30\n"
                              "    text \"Updated\" @10 0,0 35x12\n"
                              "    text \"42%\" @15 0,12 22.5x18\n"
                              "  text \"Now\" @23.529 0,30 35.294x28.235\n",
                              TextSize::accessibility3},
                      // Below the cap's lower end the styles inside are raised to small (caption 8.824, title3
                      // 13.235); outside it they stay at xSmall (caption 8.235).
                      Fixture{"TextSizeCapLowerEndEnglish",
                              [] { return capped("Updated", "Now"); },
                              {300, 300},
                              "box 0,0 30.882x36.353\n"
                              "  box 0,0 30.882x26.471\n"
                              "    text \"Updated\" @8.824 0,0 30.882x10.588\n"
                              "    text \"42%\" @13.235 0,10.588 19.853x15.882\n"
                              "  text \"Now\" @8.235 0,26.471 12.353x9.882\n",
                              TextSize::xSmall},
                      Fixture{"LabelEnglish",
                              [] { return Label("velto", "clock").font(ten); },
                              {200, 50},
                              "box 0,0 38x12\n"
                              "  symbol clock 0,1 10x10\n"
                              "  text \"velto\" @10 13,0 25x12\n"},
                      Fixture{"BarTakesTheOfferedWidthAndItsFrameHeightEnglish",
                              [] { return barUnder("Weekly"); },
                              {100, 50},
                              "box 0,0 100x30\n"
                              "  box 5,5 90x20\n"
                              "    text \"Weekly\" @10 5,5 30x12\n"
                              "    box 5,19 90x6\n"
                              "      bar 0.25 5,19 90x6\n"},
                      Fixture{"PaddingInAFixedFrameEnglish",
                              [] { return framed("Crane"); },
                              {200, 200},
                              "box 0,0 60x30\n"
                              "  box 13.5,5 33x20\n"
                              "    text \"Crane\" @10 17.5,9 25x12\n"},
                      // The frame's height leaves room for one line only, so the text is cut rather than wrapped.
                      Fixture{"FixedFrameHeightLimitsTheLinesEnglish",
                              [] { return framed("Corvid Code"); },
                              {200, 200},
                              "box 0,0 60x30\n"
                              "  box 1,5 58x20\n"
                              "    text \"Corvid Co…\" @10 5,9 50x12\n"},
                      Fixture{"FixedFrameHeightLimitsTheLinesChinese",
                              [] { return framed("克劳德代码助手"); },
                              {200, 200},
                              "box 0,0 60x30\n"
                              "  box 3.5,5 53x20\n"
                              "    text \"克劳德代…\" @10 7.5,9 45x12\n"}));

}  // namespace
}  // namespace velto::toolkit
