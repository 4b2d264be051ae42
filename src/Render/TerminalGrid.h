// TerminalGrid: a rectangle of character cells with colours, written out as lines with escape sequences.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "TerminalColors.h"
#include "TerminalText.h"

namespace velto::render {

/// How one cell is painted; an absent colour is the terminal's own.
struct CellStyle {
  std::optional<Rgb8> foreground;
  std::optional<Rgb8> background;
  bool bold = false;
  friend bool operator==(const CellStyle&, const CellStyle&) = default;
};

/// Cells in rows; a wide character takes its cell and the one after it. Writing over half of a wide
/// character blanks the other half, so that the output never shifts the columns after it.
class TerminalGrid {
 public:
  /// `columns` x `rows` spaces in `style`.
  TerminalGrid(int columns, int rows, CellStyle style);

  int columns() const { return columns_; }
  int rows() const { return rows_; }

  /// Writes `cluster` at the cell, when all of it lies on the grid; a zero-width cluster is left out.
  void put(int row, int column, const CellCluster& cluster, const CellStyle& style);
  /// Writes `text` from the cell on, clusters that would reach `end` (exclusive) or beyond left out; returns
  /// the column after the last cell written.
  int write(int row, int column, std::string_view text, const CellStyle& style, int end);
  /// The style of a cell, for painting over what is there.
  const CellStyle& style(int row, int column) const;

  /// One line per row, each ended by "\n". With colours, every change of style starts with a reset and
  /// every line that set a style ends with one; with `none`, no escape sequence at all.
  std::string text(TerminalColors mode) const;

 private:
  struct Cell {
    std::string text = " ";
    int cells = 1;  ///< 0: the second half of the wide character before it
    CellStyle style;
  };
  Cell& at(int row, int column);
  const Cell& at(int row, int column) const;
  void blank(int row, int column);

  int columns_;
  int rows_;
  std::vector<Cell> cells_;
};

}  // namespace velto::render
