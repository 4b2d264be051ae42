// Tests of the Cairo/Pango pictures: sizes, the rounded background, bars, texts, symbols, images, redaction,
// and an output that cannot grow.
#include "PictureRenderer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <new>
#include <regex>
#include <set>

#include "CairoStreams.h"
#include "PangoTextMeasurer.h"
#include "PixelImage.h"
#include "TemporaryFolder.h"

namespace {

// Allocations through operator new larger than this fail, on the thread that set it: a seam that makes
// "memory ran out while the output grew" happen at a chosen size. Cairo, Pango and ICU allocate with malloc,
// so only our own containers meet it.
thread_local std::size_t largestAllocation = std::numeric_limits<std::size_t>::max();

}  // namespace

// Every unaligned form is replaced, so that none pairs with the runtime's own (the sanitizers keep theirs).
// Optimised builds inline these and then see free() meet new; the pairing is right, the warning is not.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  if (size > largestAllocation) throw std::bad_alloc();
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return size > largestAllocation ? nullptr : std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

namespace velto::render {
namespace {

using namespace toolkit;
using testing::grown;
using testing::near;
using testing::over;
using testing::Pixel;
using testing::PixelImage;

constexpr Color blue = Color::srgb(0.231, 0.51, 0.965);
constexpr Color red = Color::srgb(1, 0, 0);  // found nowhere else in these pictures
constexpr Color track = Color::secondary().opacity(0.18);

PictureOptions options(ColorScheme scheme = ColorScheme::light, int scale = 1) {
  return {.canvas = WidgetCanvas::small(), .scheme = scheme, .scale = scale};
}

/// The frame of the first box of `Kind` in the laid-out tree; an empty frame when there is none.
template <typename Kind>
Rect frameOf(const LayoutBox& box) {
  if (std::holds_alternative<Kind>(box.drawn)) return box.frame;
  for (const auto& child : box.children) {
    if (const Rect found = frameOf<Kind>(child); found.width > 0) return found;
  }
  return {};
}

template <typename Kind>
Rect frameOf(const Element& root, const PictureOptions& picture) {
  const PangoTextMeasurer measurer(picture.chinese);
  return frameOf<Kind>(layoutWidget(root, picture.canvas, measurer, picture.textSize));
}

// Neither square nor at one pixel to the point, so that neither swapped sides nor a dropped scale pass.
TEST(PictureRenderer, PngAndSvgAreTheCanvasTimesTheScale) {
  const PictureOptions picture{.canvas = WidgetCanvas::large(), .scale = 3};
  const PixelImage png(renderPng(Text("42%"), picture));
  EXPECT_EQ(png.width(), 1092);
  EXPECT_EQ(png.height(), 1146);
  const std::regex svgSize(R"re(<svg[^>]*\bwidth="([0-9.]+)(px)?"[^>]*\bheight="([0-9.]+)(px)?"[^>]*>)re");
  const std::string svg = renderSvg(Text("42%"), picture);
  std::smatch match;
  ASSERT_TRUE(std::regex_search(svg, match, svgSize));
  EXPECT_EQ(std::stod(match[1]), 1092);
  EXPECT_EQ(std::stod(match[3]), 1146);
}

// The light scheme at two pixels to the point; the bar below checks the dark scheme's background.
TEST(PictureRenderer, BackgroundFillsTheRoundedCanvasOnly) {
  const PixelImage png(renderPng(Empty(), options(ColorScheme::light, 2)));
  const Pixel backgroundPixel = over(background(ColorScheme::light), background(ColorScheme::light));
  // The pixel at (7, 7) lies inside the 22-point corner's arc, the one at (1, 1) outside it, where nothing
  // is drawn at all; likewise in the other corners.
  for (auto [x, y] : {std::pair{7.0, 7.0}, {162.0, 7.0}, {7.0, 162.0}, {162.0, 162.0}, {85.0, 85.0}, {85.0, 0.5}}) {
    EXPECT_TRUE(near(png.atPoint(x, y, 2), backgroundPixel)) << x << "," << y;
  }
  for (auto [x, y] : {std::pair{1.0, 1.0}, {168.5, 1.0}, {1.0, 168.5}, {168.5, 168.5}}) {
    EXPECT_EQ(png.atPoint(x, y, 2).alpha, 0) << x << "," << y;
  }
}

TEST(PictureRenderer, BarFillsItsClampedFractionFromTheLeadingEdgeOverTheTrack) {
  struct Case {
    double fraction;
    double probe;  ///< where along the bar to look, 0 to 1
    bool filled;
  };
  // The dark scheme, where the track's colour differs from the light one's.
  const ColorScheme dark = ColorScheme::dark;
  const Pixel fill = over(resolve(blue, dark), background(dark));
  const Pixel trackPixel = over(resolve(track, dark), background(dark));
  const Pixel backgroundPixel = over(background(dark), background(dark));
  for (const Case& row : {Case{0.4, 0.38, true}, Case{0.4, 0.42, false}, Case{0, 0.05, false}, Case{1, 0.97, true},
                          // A sliver narrower than the bar is tall stays within its own width.
                          Case{0.01, 0.05, false}}) {
    SCOPED_TRACE(std::to_string(row.fraction) + " at " + std::to_string(row.probe));
    const Element tree = Bar(row.fraction, track, blue).frame({.height = 8, .maxWidth = infinity});
    const Rect bar = frameOf<DrawnBar>(tree, options(dark));
    ASSERT_GT(bar.width, 100);
    const PixelImage png(renderPng(tree, options(dark, 2)));
    const double x = bar.x + bar.width * row.probe;
    const Pixel seen = png.atPoint(x, bar.y + bar.height / 2, 2);
    EXPECT_TRUE(near(seen, row.filled ? fill : trackPixel)) << seen;
    // Just above and below the bar lies the background.
    EXPECT_TRUE(near(png.atPoint(x, bar.y - 1, 2), backgroundPixel));
    EXPECT_TRUE(near(png.atPoint(x, bar.y + bar.height + 1, 2), backgroundPixel));
  }
}

// --- Texts ---

/// Close to pure red: the colour the texts of these tests are drawn in, found nowhere else.
bool reddish(const Pixel& pixel) { return pixel.red > 180 && pixel.green < 120 && pixel.blue < 120; }

// Two lines: the second is set below the first, in the lower half of the frame. Chinese, where the Han face
// and the Latin one share the lines, at three pixels to the point.
TEST(PictureRenderer, TextInkStaysWithinItsFrame) {
  const Element tree = Text("已用额度\nWeekly 42%").font(Font::headline()).foregroundStyle(red);
  PictureOptions picture = options(ColorScheme::light, 3);
  picture.chinese = true;
  const Rect frame = frameOf<DrawnText>(tree, picture);
  const Rect lowerHalf{frame.x, frame.y + frame.height / 2, frame.width, frame.height / 2};
  const PixelImage png(renderPng(tree, picture));
  EXPECT_GT(png.count(lowerHalf, 3, true, reddish), 20 * 3 * 3);
  EXPECT_EQ(png.count(grown(frame, 1), 3, false, reddish), 0);
}

TEST(PictureRenderer, RedactionReplacesPrivacySensitiveContentWithPlaceholders) {
  const Element tree = VStack(HorizontalAlignment::leading, 8,
                              {Text("Secret 99%").font(Font::headline()).foregroundStyle(red).privacySensitive(),
                               Bar(1, track, red).frame({.height = 6, .maxWidth = infinity}).privacySensitive(),
                               Text("Public").font(Font::headline()).foregroundStyle(Color::srgb(0, 1, 0))});
  PictureOptions picture = options(ColorScheme::dark, 2);
  const PangoTextMeasurer measurer(false);
  const LayoutBox laidOut = layoutWidget(tree, picture.canvas, measurer, picture.textSize);
  const Rect text = laidOut.children.at(0).frame;
  const Rect bar = laidOut.children.at(1).frame;
  const Rect publicText = laidOut.children.at(2).frame;
  const Pixel backgroundPixel = over(background(ColorScheme::dark), background(ColorScheme::dark));
  auto drawn = [&](const Pixel& pixel) { return !near(pixel, backgroundPixel, 6); };
  auto greenish = [](const Pixel& pixel) { return pixel.green > 180 && pixel.red < 120 && pixel.blue < 120; };

  const PixelImage plain(renderPng(tree, picture));
  EXPECT_GT(plain.count(text, 2, true, reddish), 100);
  EXPECT_GT(plain.count(bar, 2, true, reddish), 100);

  picture.redacted = true;
  const PixelImage redacted(renderPng(tree, picture));
  EXPECT_EQ(redacted.count(grown(text, 2), 2, true, reddish), 0);
  EXPECT_EQ(redacted.count(grown(bar, 2), 2, true, reddish), 0);
  // A placeholder stands where each was: most of a redacted line is covered, not just a few stray pixels.
  EXPECT_GT(redacted.count(text, 2, true, drawn), static_cast<int>(text.width * 2 * 4));
  EXPECT_GT(redacted.count(bar, 2, true, drawn), static_cast<int>(bar.width * 2 * 6));
  // What is not privacy-sensitive shows as it is.
  EXPECT_GT(redacted.count(publicText, 2, true, greenish), 100);
}

// --- Symbols and images ---

TEST(PictureRenderer, SymbolsAreDistinctDrawingsThatFillTheirFrameAndUnknownOnesDrawNothing) {
  std::set<std::string> drawings;
  for (const char* name : {"square.split.2x2", "terminal", "clock"}) {
    const Element tree = Image(ImageSource::symbol(name)).resizable().frame(40, 40).foregroundStyle(red);
    const Rect frame = frameOf<DrawnSymbol>(tree, options());
    ASSERT_NEAR(frame.width, 40, 0.01) << name;
    const PixelImage png(renderPng(tree, options(ColorScheme::light, 2)));
    EXPECT_EQ(png.count(grown(frame, 0.5), 2, false, reddish), 0) << name;
    // A line drawing: clearly visible, yet far from a filled block.
    const int ink = png.count(frame, 2, true, reddish);
    EXPECT_GT(ink, 80 * 80 / 10) << name;
    EXPECT_LT(ink, 80 * 80 / 2) << name;
    // It reaches from side to side.
    Rect band = frame;
    band.width = frame.width * 0.25;
    EXPECT_GT(png.count(band, 2, true, reddish), 0) << name << " leading quarter";
    band.x = frame.x + frame.width * 0.75;
    EXPECT_GT(png.count(band, 2, true, reddish), 0) << name << " trailing quarter";
    drawings.insert(renderPng(tree, options()));
  }
  EXPECT_EQ(drawings.size(), 3u);

  const Element unknown = Image(ImageSource::symbol("star.fill")).resizable().frame(40, 40).foregroundStyle(red);
  EXPECT_EQ(PixelImage(renderPng(unknown, options())).count({0, 0, 170, 170}, 1, true, reddish), 0);
}

TEST(PictureRenderer, ImageFilesAreScaledIntoTheirFrame) {
  // A picture of 4 x 2 pixels, all opaque green.
  const CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 4, 2));
  const CairoContext cr(cairo_create(surface.get()));
  cairo_set_source_rgb(cr.get(), 0, 1, 0);
  cairo_paint(cr.get());
  const testing_support::TemporaryFolder folder;
  const auto green = folder.write("green.png", encodePng(surface.get()));
  const Element tree = Image(ImageSource::file(green)).resizable().frame(60, 30);
  auto greenish = [](const Pixel& pixel) { return pixel.green > 200 && pixel.red < 60 && pixel.blue < 60; };

  const Rect frame = frameOf<DrawnImage>(tree, options());
  const PixelImage png(renderPng(tree, options(ColorScheme::light, 2)));
  // The whole frame, corner to corner, and nothing beside it.
  EXPECT_GE(png.count(frame, 2, true, greenish), static_cast<int>(0.95 * 60 * 30 * 4));
  EXPECT_EQ(png.count(grown(frame, 0.5), 2, false, greenish), 0);
}

// --- An output that cannot grow ---

/// Many lines of text: an SVG document of them holds far more than 64 KiB of glyph outlines.
Element manyTexts() {
  std::vector<Element> lines;
  for (int i = 0; i < 60; ++i) lines.push_back(Text("Weekly quota " + std::to_string(i) + ": 42% used, resets Monday"));
  return VStack(HorizontalAlignment::leading, 2, std::move(lines));
}

// Cairo calls the writer from C; an exception must not cross its frames. The one thrown while appending
// comes out of renderSvg itself, after Cairo has returned.
TEST(PictureRenderer, AnOutputThatCannotGrowThrowsBadAllocFromTheRendererNotFromInsideCairo) {
  const PictureOptions picture{.canvas = {.size = {600, 1200}, .cornerRadius = 0}};
  ASSERT_GT(renderSvg(manyTexts(), picture).size(), 64u * 1024);
  largestAllocation = 64 * 1024;
  EXPECT_THROW(renderSvg(manyTexts(), picture), std::bad_alloc);
  largestAllocation = std::numeric_limits<std::size_t>::max();
  EXPECT_GT(renderSvg(manyTexts(), picture).size(), 64u * 1024);  // and Cairo is fine afterwards
}

}  // namespace
}  // namespace velto::render
