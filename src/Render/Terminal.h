// Terminal: a widget drawn in character cells, with or without colours.
#pragma once

#include <string>

#include "Element.h"
#include "Layout.h"
#include "Palette.h"
#include "TerminalColors.h"

namespace velto::render {

/// The points one character cell stands for: a medium widget (364 x 170 points) becomes 52 x 13 cells. A
/// line of text is one cell high, so the cell is as tall as the widget's stacked lines need: at 13 points
/// the medium layout's header, account block and footer fit inside its margins.
inline constexpr toolkit::Size terminalCell{7, 13};

/// How a widget is drawn in the terminal.
struct TerminalOptions {
  toolkit::WidgetCanvas canvas = toolkit::WidgetCanvas::medium();
  ColorScheme scheme = ColorScheme::dark;
  TerminalColors colors = TerminalColors::none;
  toolkit::TextSize textSize = toolkit::TextSize::large;
  toolkit::Size cell = terminalCell;
  /// Privacy-sensitive texts drawn as placeholder cells and bars as empty tracks.
  bool redacted = false;
  /// With colours, paint the scheme's background behind the widget and its primary texts in the scheme's
  /// colour; false: the terminal's own background and text colour show, and the scheme only shades the
  /// other colours.
  bool background = true;
};

/// The grid a widget is drawn on, before content taller than its room makes it taller.
struct TerminalSize {
  int columns = 0;
  int rows = 0;
  friend bool operator==(const TerminalSize&, const TerminalSize&) = default;
};

/// The canvas in cells, each edge rounded to the nearest cell (at least two rows). Throws
/// std::invalid_argument for a cell that is not 1 to 1000 points a side, a canvas that is not 1 to 8192
/// points a side, or a grid of more than 512 cells a side.
TerminalSize terminalSize(const TerminalOptions& options);

/// `root` laid out on the canvas with cell-wide text and drawn in cells, one line per row, each ended by
/// "\n": a rounded border around the widget (on the widget's background, with colours), texts cut with "…"
/// to the cells their frames cover, the system symbols as "⊞" (square.split.2x2), ">_" (terminal) and "◷"
/// (clock), a picture as the initial of its file name (on a tile of its main colour when there are colours),
/// a bar as eighth blocks over a dim track.
///
/// Frames map to cells by rounding their edges to the nearest cell; a box less than a cell high takes the
/// row of its centre. Two boxes that are apart in points stay apart in cells: one below another starts on a
/// later row, and one after another on the same row starts a cell after it, moving on when rounding would
/// join them. Nothing is drawn on the border; content that the layout places beyond the margins (taller
/// than the widget's room) makes the drawing taller rather than being cut off. Throws as terminalSize does.
std::string renderTerminal(const toolkit::Element& root, const TerminalOptions& options);

}  // namespace velto::render
