// Symbols: each symbol is drawn in a unit square with round-capped strokes, then scaled into its frame.
#include "Symbols.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velto::render {

namespace {

/// The stroke width in units of the symbol's side: close to a regular-weight glyph's stems.
constexpr double stroke = 0.09;

void roundedRectangle(cairo_t* cr, double x, double y, double width, double height, double radius) {
  const double half = std::numbers::pi / 2;
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + width - radius, y + radius, radius, -half, 0);
  cairo_arc(cr, x + width - radius, y + height - radius, radius, 0, half);
  cairo_arc(cr, x + radius, y + height - radius, radius, half, 2 * half);
  cairo_arc(cr, x + radius, y + radius, radius, 2 * half, 3 * half);
  cairo_close_path(cr);
}

/// A rounded square split into four equal panes.
void squareSplit(cairo_t* cr) {
  roundedRectangle(cr, 0.1, 0.1, 0.8, 0.8, 0.2);
  cairo_move_to(cr, 0.5, 0.1);
  cairo_line_to(cr, 0.5, 0.9);
  cairo_move_to(cr, 0.1, 0.5);
  cairo_line_to(cr, 0.9, 0.5);
  cairo_stroke(cr);
}

/// A terminal window: a rounded rectangle wider than tall, with a ">_" prompt at its upper left.
void terminal(cairo_t* cr) {
  roundedRectangle(cr, 0.06, 0.17, 0.88, 0.66, 0.14);
  cairo_move_to(cr, 0.23, 0.36);
  cairo_line_to(cr, 0.37, 0.48);
  cairo_line_to(cr, 0.23, 0.60);
  cairo_move_to(cr, 0.45, 0.62);
  cairo_line_to(cr, 0.66, 0.62);
  cairo_stroke(cr);
}

/// A clock face with the hour hand towards three and the minute hand towards twelve.
void clock(cairo_t* cr) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0.5, 0.5, 0.41, 0, 2 * std::numbers::pi);
  cairo_move_to(cr, 0.5, 0.24);
  cairo_line_to(cr, 0.5, 0.5);
  cairo_line_to(cr, 0.68, 0.5);
  cairo_stroke(cr);
}

}  // namespace

bool isKnownSymbol(std::string_view name) {
  return name == "square.split.2x2" || name == "terminal" || name == "clock";
}

void drawSymbol(cairo_t* cr, std::string_view name, const toolkit::Rect& frame, const Rgba& color) {
  const double side = std::min(frame.width, frame.height);
  if (!isKnownSymbol(name) || !(side > 0) || !std::isfinite(side)) return;
  cairo_save(cr);
  cairo_translate(cr, frame.x + (frame.width - side) / 2, frame.y + (frame.height - side) / 2);
  cairo_scale(cr, side, side);
  cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
  cairo_set_line_width(cr, stroke);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_new_path(cr);
  if (name == "square.split.2x2") {
    squareSplit(cr);
  } else if (name == "terminal") {
    terminal(cr);
  } else {
    clock(cr);
  }
  cairo_restore(cr);
}

}  // namespace velto::render
