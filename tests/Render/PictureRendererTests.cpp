// Tests of the Cairo/Pango pictures: sizes, the rounded background, bars, texts, symbols, images, redaction,
// SVG documents and the faces Pango picks.
#include "PictureRenderer.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <regex>
#include <stdexcept>

#include "CairoStreams.h"
#include "PangoTextMeasurer.h"
#include "PixelImage.h"
#include "TemporaryFolder.h"

namespace velto::render {
namespace {

using namespace toolkit;
using testing::grown;
using testing::near;
using testing::over;
using testing::Pixel;
using testing::PixelImage;

constexpr Color blue = Color::srgb(0.231, 0.51, 0.965);
constexpr Color track = Color::secondary().opacity(0.18);

PictureOptions options(ColorScheme scheme = ColorScheme::light, int scale = 1) {
  return {.canvas = WidgetCanvas::small(), .scheme = scheme, .scale = scale};
}

/// The first box of the laid-out tree that `test` accepts; the test fails when there is none.
const LayoutBox* find(const LayoutBox& box, const std::function<bool(const LayoutBox&)>& test) {
  if (test(box)) return &box;
  for (const auto& child : box.children) {
    if (const auto* found = find(child, test)) return found;
  }
  return nullptr;
}

template <typename Kind>
Rect frameOf(const Element& root, const PictureOptions& picture) {
  const PangoTextMeasurer measurer(picture.chinese);
  const LayoutBox laidOut = layoutWidget(root, picture.canvas, measurer, picture.textSize);
  const LayoutBox* box = find(laidOut, [](const LayoutBox& b) { return std::holds_alternative<Kind>(b.drawn); });
  if (box == nullptr) {
    ADD_FAILURE() << "nothing of that kind in the laid-out tree";
    return {};
  }
  return box->frame;
}

Element fullWidth(Element element, double height) {
  return element.frame(FrameSpec{.height = height, .maxWidth = infinity});
}

// --- Size ---

struct SizeCase {
  const char* name;
  WidgetCanvas canvas;
  int scale;
  int width;
  int height;
};
void PrintTo(const SizeCase& row, std::ostream* out) { *out << row.name; }

class PictureRendererSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(PictureRendererSize, PngAndSvgAreTheCanvasTimesTheScale) {
  const auto& row = GetParam();
  const PictureOptions picture{.canvas = row.canvas, .scale = row.scale};
  const PixelImage png(renderPng(Text("42%"), picture));
  EXPECT_EQ(png.width(), row.width);
  EXPECT_EQ(png.height(), row.height);

  const std::string svg = renderSvg(Text("42%"), picture);
  std::smatch match;
  ASSERT_TRUE(std::regex_search(svg, match, std::regex(R"re(<svg[^>]*\bwidth="([0-9.]+)(px)?"[^>]*>)re")));
  EXPECT_EQ(std::stod(match[1]), row.width);
  ASSERT_TRUE(std::regex_search(svg, match, std::regex(R"re(<svg[^>]*\bheight="([0-9.]+)(px)?"[^>]*>)re")));
  EXPECT_EQ(std::stod(match[1]), row.height);
}

INSTANTIATE_TEST_SUITE_P(PictureRenderer, PictureRendererSize,
                         ::testing::Values(SizeCase{"SmallAt1", WidgetCanvas::small(), 1, 170, 170},
                                           SizeCase{"SmallAt2", WidgetCanvas::small(), 2, 340, 340},
                                           SizeCase{"SmallAt3", WidgetCanvas::small(), 3, 510, 510},
                                           SizeCase{"MediumAt1", WidgetCanvas::medium(), 1, 364, 170},
                                           SizeCase{"MediumAt2", WidgetCanvas::medium(), 2, 728, 340},
                                           SizeCase{"LargeAt3", WidgetCanvas::large(), 3, 1092, 1146},
                                           SizeCase{"Configured", WidgetCanvas{.size = {200, 120}}, 2, 400, 240}),
                         [](const auto& generated) { return std::string(generated.param.name); });

TEST(PictureRenderer, RefusesScalesAndCanvasesItCannotDraw) {
  for (int scale : {0, 4, -1}) {
    EXPECT_THROW(renderPng(Empty(), options(ColorScheme::light, scale)), std::invalid_argument) << scale;
    EXPECT_THROW(renderSvg(Empty(), options(ColorScheme::light, scale)), std::invalid_argument) << scale;
  }
  for (Size size : {Size{0, 170}, Size{170, -1}, Size{std::nan(""), 170}, Size{infinity, 170}, Size{1e6, 10}}) {
    const PictureOptions picture{.canvas = {.size = size}};
    EXPECT_THROW(renderPng(Empty(), picture), std::invalid_argument) << size.width << "x" << size.height;
  }
}

// --- Background ---

class PictureRendererScheme : public ::testing::TestWithParam<std::tuple<ColorScheme, int>> {};

TEST_P(PictureRendererScheme, BackgroundFillsTheRoundedCanvasOnly) {
  const auto [scheme, scale] = GetParam();
  const PixelImage png(renderPng(Empty(), options(scheme, scale)));
  const Pixel backgroundPixel = over(background(scheme), background(scheme));
  // The pixel at (7, 7) lies inside the 22-point corner's arc, the one at (1, 1) outside it, where nothing is
  // drawn at all; likewise in the other corners.
  for (auto [x, y] : {std::pair{7.0, 7.0}, {162.0, 7.0}, {7.0, 162.0}, {162.0, 162.0}, {85.0, 85.0}, {85.0, 0.5}}) {
    EXPECT_TRUE(near(png.atPoint(x, y, scale), backgroundPixel)) << x << "," << y << ": " << png.atPoint(x, y, scale);
  }
  for (auto [x, y] : {std::pair{1.0, 1.0}, {168.5, 1.0}, {1.0, 168.5}, {168.5, 168.5}}) {
    EXPECT_EQ(png.atPoint(x, y, scale).alpha, 0) << x << "," << y;
  }
}

// --- Bars ---

TEST_P(PictureRendererScheme, BarFillsItsFractionFromTheLeadingEdgeOverTheTrack) {
  const auto [scheme, scale] = GetParam();
  const PictureOptions picture = options(scheme, scale);
  const Element tree = fullWidth(Bar(0.4, track, blue), 8);
  const Rect bar = frameOf<DrawnBar>(tree, picture);
  ASSERT_GT(bar.width, 100);
  const PixelImage png(renderPng(tree, picture));
  const double middle = bar.y + bar.height / 2;
  const Pixel fill = over(resolve(blue, scheme), background(scheme));
  const Pixel trackPixel = over(resolve(track, scheme), background(scheme));
  EXPECT_TRUE(near(png.atPoint(bar.x + bar.width * 0.2, middle, scale), fill));
  EXPECT_TRUE(near(png.atPoint(bar.x + bar.width * 0.38, middle, scale), fill));
  EXPECT_TRUE(near(png.atPoint(bar.x + bar.width * 0.42, middle, scale), trackPixel))
      << png.atPoint(bar.x + bar.width * 0.42, middle, scale) << " want " << trackPixel;
  EXPECT_TRUE(near(png.atPoint(bar.x + bar.width * 0.9, middle, scale), trackPixel));
  // Just above and below the bar lies the background.
  const Pixel backgroundPixel = over(background(scheme), background(scheme));
  EXPECT_TRUE(near(png.atPoint(bar.x + bar.width * 0.2, bar.y - 1, scale), backgroundPixel));
  EXPECT_TRUE(near(png.atPoint(bar.x + bar.width * 0.2, bar.y + bar.height + 1, scale), backgroundPixel));
}

INSTANTIATE_TEST_SUITE_P(PictureRenderer, PictureRendererScheme,
                         ::testing::Combine(::testing::Values(ColorScheme::light, ColorScheme::dark),
                                            ::testing::Values(1, 2)),
                         [](const auto& generated) {
                           return std::string(std::get<0>(generated.param) == ColorScheme::light ? "Light" : "Dark") +
                                  "At" + std::to_string(std::get<1>(generated.param));
                         });

TEST(PictureRenderer, BarFractionIsClampedToTheTrack) {
  struct Case {
    double fraction;
    double probe;  ///< where along the bar to look, 0 to 1
    bool filled;
  };
  const Pixel fill = over(resolve(blue, ColorScheme::light), background(ColorScheme::light));
  const Pixel trackPixel = over(resolve(track, ColorScheme::light), background(ColorScheme::light));
  for (const Case& row : {Case{0, 0.05, false}, Case{-0.5, 0.05, false}, Case{std::nan(""), 0.05, false},
                          Case{1, 0.97, true}, Case{2.5, 0.97, true}, Case{0.999, 0.5, true},
                          // A sliver narrower than the bar is tall stays within its own width.
                          Case{0.01, 0.05, false}}) {
    const Element tree = fullWidth(Bar(row.fraction, track, blue), 8);
    const Rect bar = frameOf<DrawnBar>(tree, options());
    const PixelImage png(renderPng(tree, options(ColorScheme::light, 2)));
    const Pixel seen = png.atPoint(bar.x + bar.width * row.probe, bar.y + bar.height / 2, 2);
    EXPECT_TRUE(near(seen, row.filled ? fill : trackPixel)) << row.fraction << " at " << row.probe << ": " << seen;
  }
}

// --- Texts ---

/// Close to pure red: the colour the texts of these tests are drawn in, found nowhere else.
bool reddish(const Pixel& pixel) { return pixel.red > 180 && pixel.green < 120 && pixel.blue < 120; }

TEST(PictureRenderer, TextInkStaysWithinItsFrameAtEveryScale) {
  for (bool chinese : {false, true}) {
    const Element tree = Text(chinese ? "已用额度 Weekly 42%" : "Weekly gjpqy 42%")
                             .font(Font::headline())
                             .foregroundStyle(Color::srgb(1, 0, 0));
    PictureOptions picture = options();
    picture.chinese = chinese;
    const Rect frame = frameOf<DrawnText>(tree, picture);
    for (int scale : {1, 3}) {
      picture.scale = scale;
      const PixelImage png(renderPng(tree, picture));
      EXPECT_GT(png.count(frame, scale, true, reddish), 40 * scale * scale) << chinese << " at " << scale;
      EXPECT_EQ(png.count(grown(frame, 1), scale, false, reddish), 0) << chinese << " at " << scale;
    }
  }
}

TEST(PictureRenderer, RedactionReplacesPrivacySensitiveContentWithPlaceholders) {
  const Color red = Color::srgb(1, 0, 0);
  const Element tree = VStack(HorizontalAlignment::leading, 8,
                              {Text("Secret 99%").font(Font::headline()).foregroundStyle(red).privacySensitive(),
                               fullWidth(Bar(1, track, red), 6).privacySensitive(),
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
  const Color red = Color::srgb(1, 0, 0);
  std::vector<std::vector<bool>> masks;
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
    std::vector<bool> mask;
    for (int y = 0; y < png.height(); ++y) {
      for (int x = 0; x < png.width(); ++x) mask.push_back(reddish(png.at(x, y)));
    }
    masks.push_back(std::move(mask));
  }
  EXPECT_NE(masks[0], masks[1]);
  EXPECT_NE(masks[1], masks[2]);
  EXPECT_NE(masks[0], masks[2]);

  const Element unknown = Image(ImageSource::symbol("star.fill")).resizable().frame(40, 40).foregroundStyle(red);
  EXPECT_EQ(PixelImage(renderPng(unknown, options())).count({0, 0, 170, 170}, 1, true, reddish), 0);
}

/// A PNG file of `width` x `height` pixels, all of one opaque colour.
std::string solidPng(int width, int height, double red, double green, double blueness) {
  const CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  const CairoContext cr(cairo_create(surface.get()));
  cairo_set_source_rgb(cr.get(), red, green, blueness);
  cairo_paint(cr.get());
  return encodePng(surface.get());
}

TEST(PictureRenderer, ImageFilesAreScaledIntoTheirFrameAndBrokenOnesDrawNothing) {
  const testing_support::TemporaryFolder folder;
  const auto green = folder.write("green.png", solidPng(4, 2, 0, 1, 0));
  const auto broken = folder.write("broken.png", "\x89PNG\r\n\x1a\nnot really");
  auto tree = [](const std::filesystem::path& file) {
    return Image(ImageSource::file(file)).resizable().frame(60, 30);
  };
  auto greenish = [](const Pixel& pixel) { return pixel.green > 200 && pixel.red < 60 && pixel.blue < 60; };

  const Rect frame = frameOf<DrawnImage>(tree(green), options());
  const PixelImage png(renderPng(tree(green), options(ColorScheme::light, 2)));
  // The whole frame, corner to corner, and nothing beside it.
  EXPECT_GE(png.count(frame, 2, true, greenish), static_cast<int>(0.95 * 60 * 30 * 4));
  EXPECT_EQ(png.count(grown(frame, 0.5), 2, false, greenish), 0);

  for (const auto& file : {broken, folder.path() / "missing.png", folder.path()}) {
    std::string bytes;
    ASSERT_NO_THROW(bytes = renderPng(tree(file), options())) << file;
    EXPECT_EQ(PixelImage(bytes).count({0, 0, 170, 170}, 1, true, greenish), 0) << file;
  }
}

// --- SVG ---

/// The error expat reports for `xml`, or nothing when it is well-formed.
std::string xmlError(const std::string& xml) {
  XML_Parser parser = XML_ParserCreate(nullptr);
  const bool ok = XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), XML_TRUE) == XML_STATUS_OK;
  std::string error = ok ? "" : XML_ErrorString(XML_GetErrorCode(parser));
  XML_ParserFree(parser);
  return error;
}

TEST(PictureRenderer, SvgIsWellFormedAndDrawsTextAsOutlines) {
  for (bool chinese : {false, true}) {
    const Element tree = VStack(HorizontalAlignment::leading, 4,
                                {Text(chinese ? "暂无用量数据" : "Usage <none> & more").font(Font::headline()),
                                 fullWidth(Bar(0.3, track, blue), 4),
                                 Image(ImageSource::symbol("clock")).frame(16, 16)});
    PictureOptions picture = options(ColorScheme::dark, 2);
    picture.chinese = chinese;
    const std::string svg = renderSvg(tree, picture);
    EXPECT_EQ(xmlError(svg), "") << chinese;
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    // Glyphs are paths, so the document needs no fonts where it is shown.
    EXPECT_EQ(svg.find("<text"), std::string::npos);
    EXPECT_NE(svg.find("<path"), std::string::npos);
  }
}

}  // namespace
}  // namespace velto::render
