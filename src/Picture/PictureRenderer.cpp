// PictureRenderer: lays the tree out with Pango's measurements and paints the boxes with Cairo.
#include "PictureRenderer.h"

#include <cairo-svg.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "CairoOwners.h"
#include "CairoStreams.h"
#include "PangoTextMeasurer.h"
#include "Symbols.h"

namespace velto::render {

namespace {

using toolkit::LayoutBox;
using toolkit::Rect;

/// Placeholders of redacted content: the secondary colour, faded well below the text it stands for.
constexpr double placeholderOpacity = 0.35;
/// A redacted text line is a bar this part of the line's height, centred on it.
constexpr double placeholderLineHeight = 0.62;

void setSource(cairo_t* cr, const Rgba& color) {
  cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
}

void roundedRectangle(cairo_t* cr, const Rect& rect, double radius) {
  radius = std::clamp(radius, 0.0, std::min(rect.width, rect.height) / 2);
  const double half = std::numbers::pi / 2;
  cairo_new_sub_path(cr);
  cairo_arc(cr, rect.x + rect.width - radius, rect.y + radius, radius, -half, 0);
  cairo_arc(cr, rect.x + rect.width - radius, rect.y + rect.height - radius, radius, 0, half);
  cairo_arc(cr, rect.x + radius, rect.y + rect.height - radius, radius, half, 2 * half);
  cairo_arc(cr, rect.x + radius, rect.y + radius, radius, 2 * half, 3 * half);
  cairo_close_path(cr);
}

/// A stadium: a rectangle whose shorter sides are half circles. Narrower than tall, it stands upright.
void capsule(cairo_t* cr, const Rect& rect) { roundedRectangle(cr, rect, std::min(rect.width, rect.height) / 2); }

bool drawable(const Rect& rect) {
  return rect.width > 0 && rect.height > 0 && std::isfinite(rect.width) && std::isfinite(rect.height) &&
         std::isfinite(rect.x) && std::isfinite(rect.y);
}

double unitFraction(double fraction) {
  if (!(fraction > 0)) return 0;  // also NaN
  return std::min(fraction, 1.0);
}

/// Paints one laid-out tree on a Cairo context whose units are points.
class Painter {
 public:
  Painter(cairo_t* cr, const PangoTextMeasurer& measurer, const PictureOptions& options)
      : cr_(cr), measurer_(measurer), options_(options) {}

  void paintWidget(const LayoutBox& root) {
    const Rect canvas{0, 0, options_.canvas.size.width, options_.canvas.size.height};
    roundedRectangle(cr_, canvas, options_.canvas.cornerRadius);
    setSource(cr_, background(options_.scheme));
    cairo_fill_preserve(cr_);
    // The content never spills past the rounded background.
    cairo_clip(cr_);
    paint(root);
  }

 private:
  void paint(const LayoutBox& box) {
    const bool redact = options_.redacted && box.privacySensitive;
    std::visit(
        [&](const auto& drawn) {
          using Kind = std::decay_t<decltype(drawn)>;
          if constexpr (!std::is_same_v<Kind, std::monostate>) {
            if (drawable(box.frame)) draw(drawn, box.frame, redact);
          }
        },
        box.drawn);
    for (const LayoutBox& child : box.children) paint(child);
  }

  void fillPlaceholder(const Rect& rect, double radius) {
    roundedRectangle(cr_, rect, radius);
    setSource(cr_, resolve(toolkit::Color::secondary().opacity(placeholderOpacity), options_.scheme));
    cairo_fill(cr_);
  }

  /// A text's lines as the layout set them: each measured on its own, stacked from the top of the frame.
  struct SetLine {
    GObjectOwner<PangoLayout> layout;
    double width = 0;
    double height = 0;
    double x = 0;  ///< where Pango's logical rectangle starts, left of the origin when negative
  };

  std::vector<SetLine> setLines(const toolkit::DrawnText& text) {
    std::vector<SetLine> lines;
    std::string_view rest = text.text;
    double emptyHeight = -1;
    while (true) {
      const std::size_t end = rest.find('\n');
      const std::string_view line = rest.substr(0, end);
      SetLine set{measurer_.createLayout(line, text.font)};
      PangoRectangle logical;
      pango_layout_get_extents(set.layout.get(), nullptr, &logical);
      set.width = static_cast<double>(logical.width) / PANGO_SCALE;
      set.height = static_cast<double>(logical.height) / PANGO_SCALE;
      set.x = static_cast<double>(logical.x) / PANGO_SCALE;
      if (line.empty()) {
        // An empty line is as tall as the whole text set on one line, as the layout counts it.
        if (emptyHeight < 0) emptyHeight = measurer_.measure(text.text, text.font).height;
        set.height = emptyHeight;
      }
      lines.push_back(std::move(set));
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
    }
    return lines;
  }

  void draw(const toolkit::DrawnText& text, const Rect& frame, bool redact) {
    std::vector<SetLine> lines = setLines(text);
    double total = 0;
    for (const auto& line : lines) total += line.height;
    // The lines fill the frame the layout measured for them; should it differ, they stay centred on it.
    double top = frame.y + (frame.height - total) / 2;
    const Rgba color = resolve(text.color, options_.scheme);
    for (const auto& line : lines) {
      if (redact) {
        const double barHeight = line.height * placeholderLineHeight;
        const Rect bar{frame.x, top + (line.height - barHeight) / 2, std::min(line.width, frame.width), barHeight};
        if (drawable(bar)) fillPlaceholder(bar, barHeight * 0.3);
      } else {
        setSource(cr_, color);
        cairo_move_to(cr_, frame.x - line.x, top);
        pango_cairo_show_layout(cr_, line.layout.get());
        cairo_new_path(cr_);
      }
      top += line.height;
    }
  }

  void draw(const toolkit::DrawnSymbol& symbol, const Rect& frame, bool redact) {
    if (redact) {
      const double side = std::min(frame.width, frame.height) * 0.85;
      fillPlaceholder({frame.x + (frame.width - side) / 2, frame.y + (frame.height - side) / 2, side, side},
                      side * 0.25);
      return;
    }
    drawSymbol(cr_, symbol.name, frame, resolve(symbol.color, options_.scheme));
  }

  void draw(const toolkit::DrawnImage& image, const Rect& frame, bool redact) {
    if (redact) {
      fillPlaceholder(frame, std::min(frame.width, frame.height) * 0.25);
      return;
    }
    const CairoSurface picture = loadPng(image.file);
    if (!picture) return;
    const int width = cairo_image_surface_get_width(picture.get());
    const int height = cairo_image_surface_get_height(picture.get());
    if (width <= 0 || height <= 0) return;
    cairo_save(cr_);
    cairo_rectangle(cr_, frame.x, frame.y, frame.width, frame.height);
    cairo_clip(cr_);
    cairo_translate(cr_, frame.x, frame.y);
    cairo_scale(cr_, frame.width / width, frame.height / height);
    cairo_set_source_surface(cr_, picture.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
    // Edge pixels are repeated outward, so that a small picture blown up keeps solid edges up to its frame.
    cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
    cairo_paint(cr_);
    cairo_restore(cr_);
  }

  void draw(const toolkit::DrawnBar& bar, const Rect& frame, bool redact) {
    if (redact) {
      capsule(cr_, frame);
      setSource(cr_, resolve(toolkit::Color::secondary().opacity(placeholderOpacity), options_.scheme));
      cairo_fill(cr_);
      return;
    }
    capsule(cr_, frame);
    setSource(cr_, resolve(bar.track, options_.scheme));
    cairo_fill(cr_);
    // The fill keeps the exact share of the width, however small: narrower than it is tall, it becomes an
    // upright capsule rather than a wider circle that would overstate a small percentage.
    const Rect fill{frame.x, frame.y, frame.width * unitFraction(bar.fraction), frame.height};
    if (!drawable(fill)) return;
    capsule(cr_, fill);
    setSource(cr_, resolve(bar.fill, options_.scheme));
    cairo_fill(cr_);
  }

  cairo_t* cr_;
  const PangoTextMeasurer& measurer_;
  const PictureOptions& options_;
};

void check(cairo_status_t status) {
  if (status == CAIRO_STATUS_NO_MEMORY) throw std::bad_alloc();
  if (status != CAIRO_STATUS_SUCCESS) throw std::runtime_error(std::string("cairo: ") + cairo_status_to_string(status));
}

/// Lays `root` out and paints it on `surface`, `scale` pixels to the point.
void paintOn(cairo_surface_t* surface, const toolkit::Element& root, const PictureOptions& options) {
  check(cairo_surface_status(surface));
  const CairoContext cr(cairo_create(surface));
  check(cairo_status(cr.get()));
  cairo_scale(cr.get(), options.scale, options.scale);
  drawPicture(cr.get(), root, options);
}

}  // namespace

void drawPicture(cairo_t* cr, const toolkit::Element& root, const PictureOptions& options) {
  const PangoTextMeasurer measurer(options.chinese);
  const LayoutBox laidOut = toolkit::layoutWidget(root, options.canvas, measurer, options.textSize);
  cairo_save(cr);
  Painter(cr, measurer, options).paintWidget(laidOut);
  cairo_restore(cr);
  // Cairo's errors are sticky: one check after drawing covers every call before it.
  check(cairo_status(cr));
}

PixelSize pictureSize(const PictureOptions& options) {
  if (options.scale < 1 || options.scale > 3) throw std::invalid_argument("the scale must be 1, 2 or 3");
  const toolkit::Size size = options.canvas.size;
  // Cairo's images stop at 32,767 pixels a side; a widget is far smaller.
  constexpr double largest = 8192;
  if (!(size.width >= 1 && size.height >= 1 && size.width <= largest && size.height <= largest)) {
    throw std::invalid_argument("the canvas must be 1 to 8192 points a side");
  }
  return {static_cast<int>(std::lround(size.width * options.scale)),
          static_cast<int>(std::lround(size.height * options.scale))};
}

std::string renderPng(const toolkit::Element& root, const PictureOptions& options) {
  const PixelSize size = pictureSize(options);
  const CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size.width, size.height));
  paintOn(surface.get(), root, options);
  return encodePng(surface.get());
}

std::string renderSvg(const toolkit::Element& root, const PictureOptions& options) {
  const PixelSize size = pictureSize(options);
  StreamSink sink;
  const CairoSurface surface(cairo_svg_surface_create_for_stream(StreamSink::write, &sink, size.width, size.height));
  cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_PX);
  paintOn(surface.get(), root, options);
  cairo_surface_finish(surface.get());
  std::string document = sink.take();  // the append's own failure says more than Cairo's write error
  check(cairo_surface_status(surface.get()));
  return document;
}

}  // namespace velto::render
