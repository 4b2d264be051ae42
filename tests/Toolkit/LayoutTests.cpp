// Layout rules beside the fixtures: the type table, resolved fonts, cut texts and images.
#include <gtest/gtest.h>

#include "EscapedText.h"

#include <filesystem>
#include <ostream>
#include <stdexcept>

#include "FakeTextMeasurer.h"
#include "Golden.h"
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

// Every style, at every text size, grows in the proportion body text grows on the platform, so their order holds.
TEST(LayoutTypeTable, EveryStyleGrowsAsBodyTextDoes) {
  // The desktop's sizes at large, the default text size.
  const std::pair<TextStyle, double> large[] = {
      {TextStyle::largeTitle, 26}, {TextStyle::title, 22},   {TextStyle::title2, 17},  {TextStyle::title3, 15},
      {TextStyle::headline, 13},   {TextStyle::body, 13},    {TextStyle::callout, 12}, {TextStyle::subheadline, 11},
      {TextStyle::footnote, 10},   {TextStyle::caption, 10}, {TextStyle::caption2, 10}};
  // Body text on the platform, xSmall to accessibility5: 17 points at large.
  constexpr double body[] = {14, 15, 16, 17, 19, 21, 23, 28, 33, 40, 47, 53};
  for (std::size_t size = 0; size < std::size(body); ++size) {
    const auto at = static_cast<TextSize>(size);
    for (const auto& [style, points] : large) {
      EXPECT_DOUBLE_EQ(pointSize(style, at), points * body[size] / 17) << name(at) << " " << static_cast<int>(style);
    }
  }
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

TEST(LayoutText, CutsDropTheSpacesBeforeTheEllipsis) {
  // Times hold a narrow no-break space before "AM"; a cut just after it must not leave "9:30 …".
  for (const std::string space : {" ", "\u00A0", "\u202F", "\u2009", "\u3000"}) {
    EXPECT_EQ(firstText(laidOut(Text("9:30" + space + "AM").font(ten).lineLimit(1), {32, 20})).text, "9:30…")
        << testing_support::escaped(space);
  }
}

using testing_support::pngHeader;
using testing_support::TemporaryFolder;

TEST(LayoutImages, ResizableImageFitsItsFrameKeepingItsProportions) {
  const TemporaryFolder folder;
  const auto wide = folder.write("wide.png", pngHeader(64, 32));
  const auto tall = folder.write("tall.png", pngHeader(32, 64));
  const auto mark = [](ImageSource source) {
    return Image(std::move(source)).resizable().scaledToFit().padding(2).frame(18, 18);
  };
  // A wide picture, a tall one and a symbol, one after another.
  testing_support::expectGolden(std::filesystem::path(VELTO_FIXTURES_DIR) / "toolkit" / "layout" / "FittedImages.txt",
                                dumpLayout(laidOut(mark(ImageSource::file(wide)))) +
                                    dumpLayout(laidOut(mark(ImageSource::file(tall)))) +
                                    dumpLayout(laidOut(mark(ImageSource::symbol("terminal")))));
}

TEST(LayoutImages, PicturesTakeTheirOwnSizeUnlessResizable) {
  const TemporaryFolder folder;
  const auto file = folder.write("wide.png", pngHeader(64, 32));
  EXPECT_EQ(dumpLayout(laidOut(Image(ImageSource::file(file)).frame(40, 40))),
            "box 0,0 40x40\n"
            "  image wide.png -12,4 64x32\n");
  // A resource drawn for twice the density is half as many points.
  folder.write("UsageAgent-kelp@2x.png", pngHeader(64, 32));
  EXPECT_EQ(dumpLayout(laidOut(Image(ImageSource::resource(folder.path(), "UsageAgent-kelp")))),
            "image UsageAgent-kelp@2x.png 0,0 32x16\n");
}

TEST(LayoutImages, MissingPictureDrawsNothingButKeepsItsFrame) {
  const TemporaryFolder folder;
  const auto box = laidOut(Image(ImageSource::resource(folder.path(), "absent")).resizable().frame(18, 18));
  EXPECT_EQ(box.children.at(0).drawn, Drawn{});
  EXPECT_EQ(box.children.at(0).frame, (Rect{0, 0, 18, 18}));
}

}  // namespace
}  // namespace velto::toolkit
