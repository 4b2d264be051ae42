// Layout rules beside the fixtures: the type table, resolved fonts, images, privacy and stack details.
#include <gtest/gtest.h>

#include "EscapedText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <stdexcept>

#include "FakeTextMeasurer.h"
#include "Layout.h"
#include "PngHeader.h"
#include "LayoutTesting.h"
#include "TemporaryFolder.h"

namespace velto::toolkit {
namespace {

using testing_support::dumpLayout;
using testing_support::FakeTextMeasurer;
using testing_support::forEachBox;

const Font ten = Font::system(10);

LayoutBox laidOut(const Element& root, Size proposed = {200, 200}, TextSize size = TextSize::large) {
  const FakeTextMeasurer measurer;
  return layout(root, proposed, measurer, size);
}

const DrawnText& firstText(const LayoutBox& box) {
  const DrawnText* found = nullptr;
  forEachBox(box, [&](const LayoutBox& each) {
    if (!found) found = std::get_if<DrawnText>(&each.drawn);
  });
  if (!found) throw std::logic_error("no text in the layout");
  return *found;
}

TEST(LayoutTypeTable, LargeIsTheDefaultColumn) {
  const std::pair<TextStyle, double> large[] = {
      {TextStyle::largeTitle, 26}, {TextStyle::title, 22},   {TextStyle::title2, 17},  {TextStyle::title3, 15},
      {TextStyle::headline, 13},   {TextStyle::body, 13},    {TextStyle::callout, 12}, {TextStyle::subheadline, 11},
      {TextStyle::footnote, 10},   {TextStyle::caption, 10}, {TextStyle::caption2, 10}};
  for (const auto& [style, points] : large) {
    EXPECT_EQ(pointSize(style, TextSize::large), points) << static_cast<int>(style);
  }
  // Every style grows as body text does on the platform (17 points at large, 14 at xSmall, 28 at
  // accessibility1).
  EXPECT_DOUBLE_EQ(pointSize(TextStyle::body, TextSize::xSmall), 13.0 * 14 / 17);
  EXPECT_DOUBLE_EQ(pointSize(TextStyle::caption2, TextSize::small), 10.0 * 15 / 17);
  EXPECT_DOUBLE_EQ(pointSize(TextStyle::subheadline, TextSize::xxxLarge), 11.0 * 23 / 17);
  EXPECT_DOUBLE_EQ(pointSize(TextStyle::body, TextSize::accessibility1), 13.0 * 28 / 17);
  EXPECT_DOUBLE_EQ(pointSize(TextStyle::largeTitle, TextSize::accessibility5), 26.0 * 53 / 17);
}

TEST(LayoutTypeTable, NoStyleShrinksAsTheTextSizeGrowsAndBiggerStylesStayBigger) {
  constexpr TextStyle byRank[] = {
      TextStyle::largeTitle, TextStyle::title,       TextStyle::title2,   TextStyle::title3,  TextStyle::body,
      TextStyle::callout,    TextStyle::subheadline, TextStyle::footnote, TextStyle::caption, TextStyle::caption2};
  for (int size = 0; size < 12; ++size) {
    const auto at = static_cast<TextSize>(size);
    for (std::size_t i = 1; i < std::size(byRank); ++i) {
      EXPECT_GE(pointSize(byRank[i - 1], at), pointSize(byRank[i], at)) << name(at);
    }
    EXPECT_EQ(pointSize(TextStyle::headline, at), pointSize(TextStyle::body, at)) << name(at);
    if (size > 0) {
      for (const auto style : byRank) {
        EXPECT_GE(pointSize(style, at), pointSize(style, static_cast<TextSize>(size - 1))) << name(at);
      }
    }
  }
  EXPECT_EQ(defaultWeight(TextStyle::headline), FontWeight::semibold);
  EXPECT_EQ(defaultWeight(TextStyle::body), FontWeight::regular);
  EXPECT_EQ(defaultWeight(TextStyle::caption2), FontWeight::regular);
}

struct FontCase {
  const char* name;
  Element tree;
  TextSize size;
  ResolvedFont expected;
};
void PrintTo(const FontCase& row, std::ostream* out) { *out << row.name; }

class LayoutFonts : public ::testing::TestWithParam<FontCase> {};

TEST_P(LayoutFonts, ResolveFromTheEnvironment) {
  EXPECT_EQ(firstText(laidOut(GetParam().tree, {500, 500}, GetParam().size)).font, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layout, LayoutFonts,
    ::testing::Values(
        FontCase{"NoFontIsBody",
                 Text("a"),
                 TextSize::xxxLarge,
                 {.pointSize = pointSize(TextStyle::body, TextSize::xxxLarge)}},
        FontCase{"HeadlineIsSemiboldByItself",
                 Text("a").font(Font::headline()),
                 TextSize::large,
                 {.pointSize = pointSize(TextStyle::headline, TextSize::large), .weight = FontWeight::semibold}},
        FontCase{"AWeightReplacesTheStyles",
                 Text("a").font(Font::headline().weight(FontWeight::bold)),
                 TextSize::xSmall,
                 {.pointSize = pointSize(TextStyle::headline, TextSize::xSmall), .weight = FontWeight::bold}},
        FontCase{
            "SystemFontKeepsItsSizeAtAnyTextSize",
            Text("1").font(Font::system(30, FontWeight::semibold, FontDesign::rounded)).monospacedDigit(),
            TextSize::accessibility5,
            {.pointSize = 30, .weight = FontWeight::semibold, .design = FontDesign::rounded, .monospacedDigits = true}},
        FontCase{"InnermostFontWins",
                 VStack(HorizontalAlignment::leading, 0, {Text("a").font(Font::caption())}).font(Font::system(14)),
                 TextSize::large,
                 {.pointSize = pointSize(TextStyle::caption, TextSize::large)}},
        FontCase{"AncestorsFontReachesTextsWithoutTheirOwn",
                 VStack(HorizontalAlignment::leading, 0, {Text("a")}).font(Font::system(14, FontWeight::medium)),
                 TextSize::large,
                 {.pointSize = 14, .weight = FontWeight::medium}},
        FontCase{"EqualWidthDigitsReachDescendants",
                 HStack(VerticalAlignment::center, 0, {Text("1").font(Font::caption2())}).monospacedDigit(),
                 TextSize::large,
                 {.pointSize = pointSize(TextStyle::caption2, TextSize::large), .monospacedDigits = true}},
        // The outer cap brings accessibility1 down to xLarge, the inner one that down to medium.
        FontCase{
            "NestedCapsClampInTurn",
            VStack(HorizontalAlignment::leading, 0, {Text("a").dynamicTypeSize(TextSize::xSmall, TextSize::medium)})
                .dynamicTypeSize(TextSize::small, TextSize::xLarge),
            TextSize::accessibility1,
            {.pointSize = pointSize(TextStyle::body, TextSize::medium)}},
        FontCase{"CapRaisesSizesBelowIt",
                 Text("a").font(Font::caption()).dynamicTypeSize(TextSize::large, TextSize::xLarge),
                 TextSize::xSmall,
                 {.pointSize = pointSize(TextStyle::caption, TextSize::large)}}));

TEST(LayoutText, NumbersShrinkToFitTheOfferedHeight) {
  // 30 points set 36 tall; a 30-point-high frame leaves room for 25 points, within the 0.8 allowed.
  const auto box =
      laidOut(Text("42%").font(Font::system(30)).lineLimit(1).minimumScaleFactor(0.8).frame({.height = 30}));
  const auto& text = box.children.at(0);
  EXPECT_NEAR(std::get<DrawnText>(text.drawn).font.pointSize, 25, 1e-6);
  EXPECT_NEAR(text.frame.height, 30, 1e-6);
}

TEST(LayoutText, HardLineBreaksStartNewLinesAndEndAOneLineText) {
  EXPECT_EQ(dumpLayout(laidOut(Text("Line one\nLine two").font(ten))), "text \"Line one\\nLine two\" @10 0,0 40x24\n");
  // A height that holds 1e29 lines holds both; the count of lines that fit never overflows an integer.
  EXPECT_EQ(dumpLayout(laidOut(Text("Line one\nLine two").font(ten).frame({.height = 1e30}))),
            "box 0,0 40x1e+30\n  text \"Line one\\nLine two\" @10 0,5e+29 40x24\n");
  EXPECT_EQ(dumpLayout(laidOut(Text("Line one\nLine two").font(ten).lineLimit(1))),
            "text \"Line one…\" @10 0,0 45x12\n");
}

TEST(LayoutText, CutsNeverSplitACharacter) {
  // A flag is two regional indicators, a cell each here: three of them and "…" would fit, but the third
  // would be half a flag.
  const std::string flag = "\U0001F1EF\U0001F1F5";
  EXPECT_EQ(firstText(laidOut(Text(flag + flag + flag).font(ten).lineLimit(1), {20, 20})).text, flag + "…");
}

TEST(LayoutText, CutsDropTheSpacesBeforeTheEllipsis) {
  // Times hold a narrow no-break space before "AM"; a cut just after it must not leave "9:30 …".
  for (const std::string space : {" ", "\u00A0", "\u202F", "\u2009", "\u3000"}) {
    EXPECT_EQ(firstText(laidOut(Text("9:30" + space + "AM").font(ten).lineLimit(1), {32, 20})).text, "9:30…")
        << testing_support::escaped(space);
  }
}

TEST(LayoutText, NotEvenAnEllipsisFitsLeavesNothingToDraw) {
  const auto box = laidOut(Text("velto").font(ten).lineLimit(1), {4, 20});
  EXPECT_EQ(std::get<DrawnText>(box.drawn).text, "");
  EXPECT_EQ(box.frame.width, 0);
}

TEST(LayoutStacks, EmptyElementsTakeNoRoomAndNoSpacing) {
  EXPECT_EQ(
      dumpLayout(laidOut(
          VStack(HorizontalAlignment::leading, 10, {Text("a"), Empty(), Empty().padding(4), Text("b")}).font(ten))),
      "box 0,0 5x34\n"
      "  text \"a\" @10 0,0 5x12\n"
      "  text \"b\" @10 0,22 5x12\n");
}

TEST(LayoutStacks, DefaultSpacingIsEightExceptBesideASpacer) {
  const auto row = laidOut(
      HStack(VerticalAlignment::top, std::nullopt, {Text("a"), Text("b"), Spacer(2), Text("c")}).font(ten), {200, 20});
  EXPECT_EQ(dumpLayout(row),
            "box 0,0 200x12\n"
            "  text \"a\" @10 0,0 5x12\n"
            "  text \"b\" @10 13,0 5x12\n"
            "  box 18,0 177x0\n"
            "  text \"c\" @10 195,0 5x12\n");
  // Given spacing sits between every pair, spacers included.
  const auto spaced = laidOut(HStack(VerticalAlignment::top, 3, {Text("a"), Spacer(0), Text("c")}).font(ten), {30, 20});
  EXPECT_EQ(spaced.children.at(1).frame, (Rect{8, 0, 14, 0}));
}

TEST(LayoutStacks, SpacersShareWhatIsLeftEvenly) {
  const auto column =
      laidOut(VStack(HorizontalAlignment::center, 0, {Spacer(), Text("a"), Spacer(20), Text("b"), Spacer(0)}).font(ten),
              {50, 120});
  // 120 - 24 for the texts leaves 96; each spacer first keeps its minimum (8, 20, 0), then takes a third of
  // the 68 left over.
  const double share = 68.0 / 3;
  ASSERT_EQ(column.children.size(), 5u);
  EXPECT_NEAR(column.children[0].frame.height, 8 + share, 1e-9);
  EXPECT_NEAR(column.children[2].frame.height, 20 + share, 1e-9);
  EXPECT_NEAR(column.children[4].frame.height, share, 1e-9);
  EXPECT_NEAR(column.frame.height, 120, 1e-9);
  EXPECT_NEAR(column.children[3].frame.y, 8 + share + 12 + 20 + share, 1e-9);
}

TEST(LayoutStacks, SpacerOutsideAStackFillsBothWays) {
  EXPECT_EQ(laidOut(Spacer(), {30, 40}).frame, (Rect{0, 0, 30, 40}));
}

TEST(LayoutBars, FractionIsClampedAndTheHeightComesFromTheFrame) {
  const Color track = Color::secondary();
  const Color fill = Color::named(ColorName::red);
  const auto over = laidOut(Bar(2.5, track, fill).frame({.height = 4}), {120, 50});
  EXPECT_EQ(over.children.at(0).drawn, (Drawn{DrawnBar{1, track, fill}}));
  EXPECT_EQ(over.children.at(0).frame, (Rect{0, 0, 120, 4}));
  const auto nan = laidOut(Bar(std::numeric_limits<double>::quiet_NaN(), track, fill), {120, 50});
  EXPECT_EQ(std::get<DrawnBar>(nan.drawn).fraction, 0);
  EXPECT_EQ(nan.frame, (Rect{0, 0, 120, 50}));
}

using testing_support::pngHeader;

class LayoutImages : public ::testing::Test {
 protected:
  testing_support::TemporaryFolder folder;
};

TEST_F(LayoutImages, SymbolIsASquareAtItsFontsSize) {
  for (const auto size : {TextSize::large, TextSize::xxLarge}) {
    const double side = pointSize(TextStyle::caption2, size);
    EXPECT_EQ(laidOut(Image(ImageSource::symbol("clock")).font(Font::caption2()), {200, 200}, size).frame,
              (Rect{0, 0, side, side}))
        << name(size);
  }
  EXPECT_EQ(laidOut(Image(ImageSource::symbol("clock")).font(Font::system(30))).frame, (Rect{0, 0, 30, 30}));
  const auto drawn = laidOut(Image(ImageSource::symbol("clock")).foregroundStyle(Color::secondary())).drawn;
  EXPECT_EQ(drawn, (Drawn{DrawnSymbol{"clock", Color::secondary()}}));
}

TEST_F(LayoutImages, ResizableImageFitsItsFrameKeepingItsProportions) {
  const auto wide = folder.write("wide.png", pngHeader(64, 32));
  const auto tall = folder.write("tall.png", pngHeader(32, 64));
  const auto mark = [](ImageSource source) {
    return Image(std::move(source)).resizable().scaledToFit().padding(2).frame(18, 18);
  };
  EXPECT_EQ(dumpLayout(laidOut(mark(ImageSource::file(wide)))),
            "box 0,0 18x18\n"
            "  box 0,3.5 18x11\n"
            "    image wide.png 2,5.5 14x7\n");
  EXPECT_EQ(dumpLayout(laidOut(mark(ImageSource::file(tall)))),
            "box 0,0 18x18\n"
            "  box 3.5,0 11x18\n"
            "    image tall.png 5.5,2 7x14\n");
  EXPECT_EQ(dumpLayout(laidOut(mark(ImageSource::symbol("terminal")))),
            "box 0,0 18x18\n"
            "  box 0,0 18x18\n"
            "    symbol terminal 2,2 14x14\n");
}

TEST_F(LayoutImages, PicturesTakeTheirOwnSizeUnlessResizable) {
  const auto file = folder.write("wide.png", pngHeader(64, 32));
  EXPECT_EQ(dumpLayout(laidOut(Image(ImageSource::file(file)).frame(40, 40))),
            "box 0,0 40x40\n"
            "  image wide.png -12,4 64x32\n");
  // A resource drawn for twice the density is half as many points.
  folder.write("UsageAgent-kelp@2x.png", pngHeader(64, 32));
  EXPECT_EQ(dumpLayout(laidOut(Image(ImageSource::resource(folder.path(), "UsageAgent-kelp")))),
            "image UsageAgent-kelp@2x.png 0,0 32x16\n");
}

TEST_F(LayoutImages, MissingPictureDrawsNothingButKeepsItsFrame) {
  const auto box = laidOut(Image(ImageSource::resource(folder.path(), "absent")).resizable().frame(18, 18));
  EXPECT_EQ(box.children.at(0).drawn, Drawn{});
  EXPECT_EQ(box.children.at(0).frame, (Rect{0, 0, 18, 18}));
}

TEST(LayoutPrivacy, ReachesEveryBoxBelowAPrivacySensitiveElementAndNoOther) {
  const auto box = laidOut(VStack(
      HorizontalAlignment::leading, 0,
      {Text("public"), HStack(VerticalAlignment::center, 0, {Label("name", "clock").padding(1)}).privacySensitive()}));
  EXPECT_FALSE(box.privacySensitive);
  EXPECT_FALSE(box.children.at(0).privacySensitive);
  int marked = 0;
  forEachBox(box.children.at(1), [&](const LayoutBox& each) {
    EXPECT_TRUE(each.privacySensitive);
    ++marked;
  });
  EXPECT_EQ(marked, 5);  // the row, the padding, the label, its symbol and its title
}

// Renderers measure with real fonts, where each question costs; the stacks ask about every child several times.
TEST(LayoutMeasuring, AsksOnceForEachTextInEachFont) {
  struct Recording final : TextMeasurer {
    mutable std::vector<std::pair<std::string, double>> asked;
    Size measure(std::string_view text, const ResolvedFont& font) const override {
      asked.emplace_back(text, font.pointSize);
      return FakeTextMeasurer().measure(text, font);
    }
  } measurer;
  const auto column = [](std::string title) {
    return VStack(HorizontalAlignment::leading, 4,
                  {Text(std::move(title)).lineLimit(2),
                   Text("42%").font(Font::system(30)).lineLimit(1).minimumScaleFactor(0.8),
                   Bar(0.4, Color::secondary(), Color::primary()).frame({.height = 4})})
        .frame({.maxWidth = infinity, .alignment = Alignment::leading});
  };
  layout(VStack(HorizontalAlignment::leading, 6,
                {HStack(VerticalAlignment::top, 16,
                        {column("Weekly limit for all models"), column("每周限额适用于所有模型")}),
                 Spacer(0), Text("Updated 11:59")}),
         {332, 90}, measurer, TextSize::large);
  auto asked = measurer.asked;
  std::sort(asked.begin(), asked.end());
  EXPECT_EQ(std::adjacent_find(asked.begin(), asked.end()), asked.end());
  EXPECT_GT(asked.size(), 10u);
}

}  // namespace
}  // namespace velto::toolkit
