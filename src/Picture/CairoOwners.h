// CairoOwners: one owner per kind of Cairo object, so that every surface, context and font options object is
// released on every path, exceptions included.
#pragma once

#include <cairo.h>

#include <memory>

namespace velto::render {

struct CairoSurfaceRelease {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
/// Owns a surface. Cairo answers a failed creation with an error surface, never NULL: check
/// cairo_surface_status before use.
using CairoSurface = std::unique_ptr<cairo_surface_t, CairoSurfaceRelease>;

struct CairoContextRelease {
  void operator()(cairo_t* context) const { cairo_destroy(context); }
};
/// Owns a drawing context; like a surface, a failed one is an error object (cairo_status).
using CairoContext = std::unique_ptr<cairo_t, CairoContextRelease>;

struct CairoFontOptionsRelease {
  void operator()(cairo_font_options_t* options) const { cairo_font_options_destroy(options); }
};
/// Owns a font options object; a failed one is an error object (cairo_font_options_status).
using CairoFontOptions = std::unique_ptr<cairo_font_options_t, CairoFontOptionsRelease>;

}  // namespace velto::render
