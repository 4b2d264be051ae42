// TerminalGrid: cell bookkeeping for wide characters, and the escape sequences of the output.
#include "TerminalGrid.h"

#include <algorithm>

namespace velto::render {

TerminalGrid::TerminalGrid(int columns, int rows, CellStyle style)
    : columns_(std::max(columns, 0)),
      rows_(std::max(rows, 0)),
      cells_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), Cell{" ", 1, style}) {}

TerminalGrid::Cell& TerminalGrid::at(int row, int column) {
  return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(column)];
}

const TerminalGrid::Cell& TerminalGrid::at(int row, int column) const {
  return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(column)];
}

const CellStyle& TerminalGrid::style(int row, int column) const { return at(row, column).style; }

void TerminalGrid::blank(int row, int column) {
  // Whatever shares the cell's character goes with it: the first half of a wide one, or its second half.
  Cell& cell = at(row, column);
  if (cell.cells == 0 && column > 0) {
    at(row, column - 1) = {" ", 1, at(row, column - 1).style};
  } else if (cell.cells == 2 && column + 1 < columns_) {
    at(row, column + 1) = {" ", 1, at(row, column + 1).style};
  }
  cell = {" ", 1, cell.style};
}

void TerminalGrid::put(int row, int column, const CellCluster& cluster, const CellStyle& style) {
  if (cluster.cells <= 0 || row < 0 || row >= rows_ || column < 0 || column + cluster.cells > columns_) return;
  for (int c = column; c < column + cluster.cells; ++c) blank(row, c);
  at(row, column) = {cluster.text, cluster.cells, style};
  if (cluster.cells == 2) at(row, column + 1) = {"", 0, style};
}

int TerminalGrid::write(int row, int column, std::string_view text, const CellStyle& style, int end) {
  end = std::min(end, columns_);
  for (const auto& cluster : cellClusters(text)) {
    if (column + cluster.cells > end) break;
    put(row, column, cluster, style);
    column += cluster.cells;
  }
  return column;
}

std::string TerminalGrid::text(TerminalColors mode) const {
  std::string out;
  for (int row = 0; row < rows_; ++row) {
    std::optional<CellStyle> current;
    for (int column = 0; column < columns_; ++column) {
      const Cell& cell = at(row, column);
      if (cell.cells == 0) continue;
      if (mode != TerminalColors::none && cell.style != current) {
        out += "\x1b[0";
        if (cell.style.bold) out += ";1";
        if (cell.style.foreground) out += ";" + colorParameters(*cell.style.foreground, false, mode);
        if (cell.style.background) out += ";" + colorParameters(*cell.style.background, true, mode);
        out += "m";
        current = cell.style;
      }
      out += cell.text;
    }
    if (current) out += "\x1b[0m";
    out += "\n";
  }
  return out;
}

}  // namespace velto::render
