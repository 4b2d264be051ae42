// Tests of the terminal renderer: small trees against golden drawings in tests/fixtures/render/terminal/, in
// English and Chinese, without and with colours.
#include "Terminal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <utility>

#include "Golden.h"
#include "PngHeader.h"
#include "TemporaryFolder.h"
#include "TerminalText.h"

namespace velto::render {
namespace {

using namespace toolkit;

/// 21 x 6 cells: the border, and 19 x 4 inside it; the content starts one cell in from the border.
TerminalOptions tiny() {
  return {.canvas = {.size = {21 * 7, 6 * 13.0}, .margin = 14}};
}

/// The tree pinned to the top-leading corner of the content, so that the goldens do not depend on centring.
Element pinned(std::vector<Element> children, double spacing = 0) {
  return VStack(HorizontalAlignment::leading, spacing, std::move(children))
      .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::topLeading});
}

std::string draw(const Element& root, const TerminalOptions& options = tiny()) {
  return renderTerminal(root, options);
}

/// Expects `drawn` to equal the drawing in tests/fixtures/render/terminal/`file`.
void expectGolden(const std::string& file, const std::string& drawn) {
  testing_support::expectGolden(std::filesystem::path(VELTO_FIXTURES_DIR) / "render" / "terminal" / file, drawn);
}

TEST(Terminal, BarsFillInEighthsOverTheTrack) {
  const Color track = Color::secondary().opacity(0.18);
  const Color fill = Color::named(ColorName::blue);
  // One bar per row: 4 points high, 9 apart. A fraction is clamped to the track, and any use at all shows.
  std::vector<Element> bars;
  for (double share : {std::nan(""), 0.5, 0.001, 2.0}) bars.push_back(Bar(share, track, fill).frame({.height = 4}));
  expectGolden("bars.txt", draw(pinned(bars, 9)));
}

TEST(Terminal, SymbolsAndNeighboursStayApart) {
  const auto row = pinned({
      Label("velto", "square.split.2x2"),
      HStack(VerticalAlignment::center, 3, {Image(ImageSource::symbol("clock")), Text("Last reading")}),
      HStack(VerticalAlignment::center, 5, {Image(ImageSource::symbol("terminal")).frame(18, 18), Text("Crane")}),
      // 3 points apart: rounding alone would join them; 0 apart: they touch.
      HStack(VerticalAlignment::center, 3, {Text("Resets"), Text("9:41"), HStack(VerticalAlignment::center, 0,
                                                                                   {Text("ab"), Text("cd")})}),
  }).font(Font::caption());
  expectGolden("symbols.txt", draw(row));
}

// Frames can lie anywhere in points, and their cells must not overflow an int on the way to the grid (the
// sanitizers' float-cast-overflow check watches the conversions); the grid keeps its width and at most twice
// its height.
TEST(Terminal, FramesFarBeyondTheCanvasKeepTheGrid) {
  for (const double far : {1e30, -1e30, 1e300}) {
    const std::string drawn = draw(pinned({Text("near"), Text("far").frame({.width = far, .height = std::abs(far)})}));
    int rows = 0;
    for (std::size_t start = 0, end; (end = drawn.find('\n', start)) != std::string::npos; start = end + 1, ++rows) {
      EXPECT_EQ(cellWidth(drawn.substr(start, end - start)), 21) << drawn;
    }
    EXPECT_GE(rows, 6);
    EXPECT_LE(rows, 12);
  }
}

TEST(Terminal, RedactedDrawsPlaceholdersForPrivateTexts) {
  TerminalOptions options = tiny();
  options.redacted = true;
  const auto tree = pinned({Text("velto"), Text("Crane 用量").privacySensitive(),
                            Bar(0.5, Color::secondary(), Color::primary()).frame({.height = 4}).privacySensitive()},
                           4);
  expectGolden("redacted.txt", draw(tree, options));
}

TEST(Terminal, ColourModesWriteTheirOwnEscapesOrNone) {
  const Color red = Color::named(ColorName::red);
  const auto tree = pinned({Text("Crane").font(Font::caption().weight(FontWeight::semibold)),
                            Text("42%").foregroundStyle(red),
                            Bar(0.5, Color::secondary().opacity(0.18), red).frame({.height = 4}), Text("Resets 14:00")},
                           4);
  // Without colours, no escapes. The bar's 4 points fall between two rows; it still gets one, and the texts
  // keep theirs.
  TerminalOptions options = tiny();
  expectGolden("colourless.txt", draw(tree, options));

  // Dark scheme: border in the secondary grey (152;152;159) over the background (28;28;30), bold white name,
  // the red of the dark scheme (255;69;58), the bar's fill over its track (50;50;53).
  options.colors = TerminalColors::trueColor;
  expectGolden("colours-dark.ansi", draw(tree, options));

  // A picture whose colour cannot be read (a header without pixels) keeps its initial, bold, in the text's colour.
  const testing_support::TemporaryFolder folder;
  const auto picture = folder.path() / "UsageAgent-quay.png";
  std::ofstream(picture, std::ios::binary) << testing_support::pngHeader(7, 13);
  expectGolden("unreadable-picture.ansi", draw(pinned({Image(ImageSource::file(picture))}), options));

  // The same in the 256-colour palette, light scheme: white background (231), black text (16), red (203).
  options.colors = TerminalColors::ansi256;
  options.scheme = ColorScheme::light;
  expectGolden("colours-light.ansi", draw(tree, options));
}

}  // namespace
}  // namespace velto::render
