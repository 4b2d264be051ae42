// TerminalText: text as a terminal sets it, in character cells per grapheme cluster.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Geometry.h"
#include "Layout.h"

namespace velto::render {

/// One user-perceived character and the cells a terminal gives it: 2 for East Asian wide and fullwidth
/// characters and emoji shown as pictures, 0 for a cluster of combining marks or format characters alone,
/// 1 for everything else (East Asian ambiguous characters included, as terminals outside CJK locales set them).
struct CellCluster {
  std::string text;  ///< valid UTF-8
  int cells = 1;
  friend bool operator==(const CellCluster&, const CellCluster&) = default;
};

/// The clusters of a UTF-8 text in order. Invalid sequences read as U+FFFD; control characters (C0, DEL, C1)
/// are dropped, so that no text can move the cursor or start an escape sequence.
std::vector<CellCluster> cellClusters(std::string_view text);

/// The cells `text` takes on one line.
int cellWidth(std::string_view text);

/// `text` cut to at most `cells` cells: whole when it fits, else as many leading clusters as leave room for a
/// final "…" (trailing spaces before it dropped). Empty when `cells` is 0 or less. Always valid UTF-8.
std::string cutToCells(std::string_view text, int cells);

/// A text measurer for the terminal: every line is one cell high and as many cells wide as its clusters take,
/// whatever the font, converted to points by a fixed cell size so that the layout can work in points.
class CellTextMeasurer final : public toolkit::TextMeasurer {
 public:
  explicit CellTextMeasurer(toolkit::Size cell) : cell_(cell) {}

  toolkit::Size measure(std::string_view text, const toolkit::ResolvedFont& font) const override;

 private:
  toolkit::Size cell_;
};

}  // namespace velto::render
