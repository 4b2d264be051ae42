// PictureRenderer: a widget's element tree laid out and drawn with Cairo and Pango, as PNG or SVG bytes.
#pragma once

#include <string>

#include "Element.h"
#include "Layout.h"
#include "Palette.h"
#include "TextSize.h"

// Cairo's own declaration, so that this header does not need Cairo's include paths.
extern "C" {
typedef struct _cairo cairo_t;
}

namespace velto::render {

/// How a widget picture is drawn.
struct PictureOptions {
  toolkit::WidgetCanvas canvas = toolkit::WidgetCanvas::small();
  ColorScheme scheme = ColorScheme::light;
  int scale = 1;  ///< pixels per point: 1, 2 or 3
  /// Privacy-sensitive content drawn as placeholder shapes, as on a locked screen.
  bool redacted = false;
  toolkit::TextSize textSize = toolkit::TextSize::large;
  /// Texts are Chinese: the layout language is zh-cn.
  bool chinese = false;
};

/// The picture's size in pixels: the canvas's size in points times the scale.
struct PixelSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

/// The size `renderPng` draws at, and `renderSvg` declares. Throws std::invalid_argument for a scale other
/// than 1, 2 or 3, or a canvas without area.
PixelSize pictureSize(const PictureOptions& options);

/// `root` laid out on the canvas and drawn as a PNG image (8-bit RGBA; transparent outside the canvas's
/// rounded corners). Throws std::invalid_argument for unusable options, std::bad_alloc when memory runs out
/// and std::runtime_error when Cairo or the fonts fail otherwise.
std::string renderPng(const toolkit::Element& root, const PictureOptions& options);

/// `root` laid out on the canvas and drawn on `cr`, whose user space is in points with the canvas at the
/// origin (a window's context, its device scale already set); `options.scale` is not used. Only the rounded
/// canvas is painted: what lies outside it, and the context's state, are left as they were. Throws as
/// renderPng does.
void drawPicture(cairo_t* cr, const toolkit::Element& root, const PictureOptions& options);

/// The same picture as an SVG document, its width and height in pixels; texts become glyph outlines. Throws
/// as renderPng does.
std::string renderSvg(const toolkit::Element& root, const PictureOptions& options);

}  // namespace velto::render
