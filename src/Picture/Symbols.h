// Symbols: our own vector drawings of the system symbols the widget uses.
#pragma once

#include <string_view>

#include "Geometry.h"
#include "Palette.h"

extern "C" {
typedef struct _cairo cairo_t;
}

namespace velto::render {

/// True for the symbols `drawSymbol` knows: "square.split.2x2", "terminal" and "clock".
bool isKnownSymbol(std::string_view name);

/// Draws the symbol `name` as a line drawing in `color`, as large as fits in `frame` and centred in it;
/// an unknown name draws nothing. Leaves the context's state as it found it.
void drawSymbol(cairo_t* cr, std::string_view name, const toolkit::Rect& frame, const Rgba& color);

}  // namespace velto::render
