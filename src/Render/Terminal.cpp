// Terminal: lays the tree out in cell-sized points, maps frames to cells and draws them on a grid.
#include "Terminal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <optional>
#include <stdexcept>

#include "TerminalGrid.h"
#include "TerminalPicture.h"
#include "TerminalText.h"

namespace velto::render {
namespace {

using toolkit::LayoutBox;
using toolkit::Rect;

// Frames computed from sums of doubles are compared with a little slack.
constexpr double slack = 1e-6;

constexpr std::string_view ellipsis = "…";
constexpr std::string_view fullBlock = "█";
constexpr std::string_view emptyTrack = "░";  // without colours the track needs a glyph of its own
constexpr std::string_view placeholder = "░";
constexpr std::array<std::string_view, 8> eighthBlocks{"", "▏", "▎", "▍", "▌", "▋", "▊", "▉"};

// The widest and tallest grid drawn: far beyond any terminal, and small enough to allocate at once.
constexpr int largestGridSide = 512;
// A frame can lie anywhere in points; as cells it is clamped to a range far beyond any grid before it becomes
// an int, so that no position overflows.
constexpr double farthestCell = 1 << 20;

int cellIndex(double cells) {
  if (std::isnan(cells)) return 0;
  return static_cast<int>(std::clamp(cells, -farthestCell, farthestCell));
}

int nearestCell(double points, double cell) { return cellIndex(std::floor(points / cell + 0.5 + slack)); }

/// One box that draws something, with the cells it was given: rows [top, bottom), columns [left, right).
struct Item {
  const LayoutBox* box = nullptr;
  int top = 0;
  int bottom = 0;
  int left = 0;
  int right = 0;

  const Rect& frame() const { return box->frame; }
};

void collect(const LayoutBox& box, std::vector<Item>& items) {
  if (!std::holds_alternative<std::monostate>(box.drawn)) items.push_back({&box});
  for (const auto& child : box.children) collect(child, items);
}

std::string_view symbolGlyph(const std::string& name) {
  // Glyphs of East Asian width neutral or narrow, so that they take the same cells in every locale.
  if (name == "square.split.2x2") return "⊞";
  if (name == "terminal") return ">_";
  if (name == "clock") return "◷";
  return "▪";
}

/// Cells the item needs for its own drawing when that does not follow its frame.
int glyphCells(const toolkit::Drawn& drawn) {
  if (const auto* symbol = std::get_if<toolkit::DrawnSymbol>(&drawn)) return cellWidth(symbolGlyph(symbol->name));
  if (const auto* image = std::get_if<toolkit::DrawnImage>(&drawn)) return cellWidth(pictureInitial(image->file));
  return 0;
}

/// Rows and columns from the frame: edges rounded to the nearest cell; a box thinner than a cell takes the
/// cell of its centre. Symbols and pictures are one row high and as wide as their glyph.
void place(Item& item, toolkit::Size cell) {
  const Rect& f = item.frame();
  const bool text = std::holds_alternative<toolkit::DrawnText>(item.box->drawn);
  item.top = nearestCell(f.y, cell.height);
  item.bottom = nearestCell(f.y + f.height, cell.height);
  if (!text || item.bottom <= item.top) {
    item.top = cellIndex(std::floor((f.y + f.height / 2) / cell.height));
    item.bottom = item.top + 1;
  }
  item.left = nearestCell(f.x, cell.width);
  item.right = std::max(item.left + 1, nearestCell(f.x + f.width, cell.width));
  if (const int glyph = glyphCells(item.box->drawn); glyph > 0) {
    // An icon starts in the cell its frame starts in, so that it lines up with the texts under it.
    item.left = cellIndex(std::floor(f.x / cell.width + slack));
    item.right = item.left + glyph;
  }
}

bool overlap(double aStart, double aLength, double bStart, double bLength) {
  return aStart < bStart + bLength - slack && bStart < aStart + aLength - slack;
}

/// Moves items down so that a box below another (in points, overlapping it across) starts on a later row.
void separateRows(std::vector<Item>& items) {
  std::vector<std::size_t> order(items.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return items[a].frame().y < items[b].frame().y; });
  for (std::size_t n = 0; n < order.size(); ++n) {
    Item& item = items[order[n]];
    int shift = 0;
    for (std::size_t m = 0; m < n; ++m) {
      const Item& above = items[order[m]];
      const Rect& a = above.frame();
      const Rect& f = item.frame();
      if (a.y + a.height <= f.y + slack && overlap(a.x, a.width, f.x, f.width)) {
        shift = std::max(shift, above.bottom - item.top);
      }
    }
    item.top += shift;
    item.bottom += shift;
  }
}

/// Moves items right so that a box after another on a shared row starts after it, one cell apart when
/// they are apart in points. A text at most a cell after an icon starts one cell after the icon's glyph,
/// whose frame is usually wider than the glyph.
void separateColumns(std::vector<Item>& items, double cellWidth) {
  std::vector<std::size_t> order(items.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return items[a].frame().x < items[b].frame().x; });
  for (std::size_t n = 0; n < order.size(); ++n) {
    Item& item = items[order[n]];
    std::optional<int> need;
    const Item* nearest = nullptr;
    for (std::size_t m = 0; m < n; ++m) {
      const Item& before = items[order[m]];
      const double end = before.frame().x + before.frame().width;
      if (before.top < item.bottom && item.top < before.bottom && end <= item.frame().x + slack) {
        const int gap = item.frame().x - end > slack ? 1 : 0;
        need = std::max(need.value_or(before.right + gap), before.right + gap);
        if (!nearest || end > nearest->frame().x + nearest->frame().width) nearest = &before;
      }
    }
    if (!need) continue;
    const bool besideIcon = glyphCells(nearest->box->drawn) > 0 &&
                            std::holds_alternative<toolkit::DrawnText>(item.box->drawn) &&
                            item.frame().x - (nearest->frame().x + nearest->frame().width) <= cellWidth + slack;
    const int shift = besideIcon ? *need - item.left : std::max(0, *need - item.left);
    item.left += shift;
    item.right += shift;
  }
}

class Painter {
 public:
  Painter(const TerminalOptions& options, int columns, int rows)
      : options_(options),
        colored_(options.colors != TerminalColors::none),
        background_(background(options.scheme)),
        grid_(columns, rows, colored_ ? CellStyle{opaque(toolkit::Color::primary()), backgroundStyle()} : CellStyle{}) {}

  void border() {
    const int columns = grid_.columns();
    const int rows = grid_.rows();
    if (columns < 2 || rows < 2) return;
    const CellStyle style = styled(toolkit::Color::secondary(), false);
    std::string top = "╭";
    std::string bottom = "╰";
    for (int c = 1; c < columns - 1; ++c) {
      top += "─";
      bottom += "─";
    }
    grid_.write(0, 0, top + "╮", style, columns);
    grid_.write(rows - 1, 0, bottom + "╯", style, columns);
    for (int r = 1; r < rows - 1; ++r) {
      grid_.write(r, 0, "│", style, columns);
      grid_.write(r, columns - 1, "│", style, columns);
    }
  }

  void draw(const Item& item) {
    // Inside the border; a box reaching past it is cut.
    const int top = item.top;
    const int bottom = std::min(item.bottom, grid_.rows() - 1);
    const int left = std::max(item.left, 1);
    const int right = std::min(item.right, grid_.columns() - 1);
    if (top < 1 || top >= bottom || left >= right) return;
    const bool hidden = options_.redacted && item.box->privacySensitive;
    std::visit(
        [&](const auto& drawn) {
          using Kind = std::decay_t<decltype(drawn)>;
          if constexpr (std::is_same_v<Kind, toolkit::DrawnText>) {
            text(drawn, top, bottom, left, right, hidden);
          } else if constexpr (std::is_same_v<Kind, toolkit::DrawnSymbol>) {
            grid_.write(top, left, symbolGlyph(drawn.name), styled(drawn.color, false), right);
          } else if constexpr (std::is_same_v<Kind, toolkit::DrawnImage>) {
            picture(drawn, top, left, right);
          } else if constexpr (std::is_same_v<Kind, toolkit::DrawnBar>) {
            bar(drawn, hidden ? 0 : drawn.fraction, top, left, right);
          }
        },
        item.box->drawn);
  }

  std::string output() const { return grid_.text(options_.colors); }

 private:
  std::optional<Rgb8> backgroundStyle() const {
    return colored_ && options_.background ? std::optional<Rgb8>(composite(background_, background_)) : std::nullopt;
  }
  std::optional<Rgb8> opaque(const toolkit::Color& color) const {
    // On the terminal's own background its own text colour is the one sure to read well.
    if (!colored_ || (!options_.background && color == toolkit::Color::primary())) return std::nullopt;
    return composite(resolve(color, options_.scheme), background_);
  }
  CellStyle styled(const toolkit::Color& color, bool bold) const {
    return {opaque(color), backgroundStyle(), colored_ && bold};
  }

  void text(const toolkit::DrawnText& drawn, int top, int bottom, int left, int right, bool hidden) {
    // The layout has already broken a text of several lines ("\n"); each line is cut to the frame's cells,
    // and a line with no row left for it marks the last one shown.
    const int width = right - left;
    std::vector<std::string> lines;
    for (std::size_t start = 0; start <= drawn.text.size();) {
      const auto end = std::min(drawn.text.find('\n', start), drawn.text.size());
      std::string line = drawn.text.substr(start, end - start);
      if (static_cast<int>(lines.size()) == bottom - top) {
        lines.back() = cutToCells(lines.back() + std::string(ellipsis), width);
        break;
      }
      lines.push_back(cutToCells(line, width));
      start = end + 1;
    }
    if (hidden) {
      for (auto& line : lines) {
        std::string cells;
        for (int c = cellWidth(line); c > 0; --c) cells += placeholder;
        line = cells;
      }
    }
    const bool bold = drawn.font.weight >= toolkit::FontWeight::semibold;
    const CellStyle style = hidden ? styled(toolkit::Color::secondary(), false) : styled(drawn.color, bold);
    for (std::size_t i = 0; i < lines.size(); ++i) grid_.write(top + static_cast<int>(i), left, lines[i], style, right);
  }

  /// The initial, on a tile of the picture's own colour when there are colours.
  void picture(const toolkit::DrawnImage& drawn, int row, int left, int right) {
    CellStyle style = styled(toolkit::Color::primary(), true);
    if (colored_) {
      if (const auto tile = pictureColor(drawn.file)) {
        const bool light = 0.2126 * tile->red + 0.7152 * tile->green + 0.0722 * tile->blue > 150;
        style = {light ? Rgb8{0, 0, 0} : Rgb8{255, 255, 255}, *tile, true};
      }
    }
    grid_.write(row, left, pictureInitial(drawn.file), style, right);
  }

  void bar(const toolkit::DrawnBar& drawn, double fraction, int row, int left, int right) {
    const int cells = right - left;
    if (!(fraction > 0)) fraction = 0;  // NaN included
    fraction = std::min(fraction, 1.0);
    long eighths = std::lround(fraction * cells * 8);
    if (fraction > 0 && eighths == 0) eighths = 1;  // any use at all shows
    const auto full = static_cast<int>(eighths / 8);
    const auto part = static_cast<std::size_t>(eighths % 8);
    const std::optional<Rgb8> track = opaque(drawn.track);
    const CellStyle fill{opaque(drawn.fill), colored_ ? track : std::nullopt, false};
    const CellStyle rest = colored_ ? CellStyle{track, track, false} : CellStyle{};
    for (int c = 0; c < cells; ++c) {
      if (c < full) {
        grid_.write(row, left + c, fullBlock, fill, right);
      } else if (c == full && part > 0) {
        grid_.write(row, left + c, eighthBlocks[part], fill, right);
      } else {
        grid_.write(row, left + c, colored_ ? " " : emptyTrack, rest, right);
      }
    }
  }

  const TerminalOptions& options_;
  bool colored_;
  Rgba background_;
  TerminalGrid grid_;
};

}  // namespace

TerminalSize terminalSize(const TerminalOptions& options) {
  const toolkit::Size cell = options.cell;
  if (!(cell.width >= 1 && cell.height >= 1 && cell.width <= 1000 && cell.height <= 1000)) {
    throw std::invalid_argument("a terminal cell must be 1 to 1000 points a side");
  }
  const toolkit::Size canvas = options.canvas.size;
  // The same bounds as a picture's canvas.
  if (!(canvas.width >= 1 && canvas.height >= 1 && canvas.width <= 8192 && canvas.height <= 8192)) {
    throw std::invalid_argument("the canvas must be 1 to 8192 points a side");
  }
  const TerminalSize size{nearestCell(canvas.width, cell.width), std::max(nearestCell(canvas.height, cell.height), 2)};
  if (size.columns > largestGridSide || size.rows > largestGridSide) {
    throw std::invalid_argument("the canvas must be at most 512 cells a side");
  }
  return size;
}

std::string renderTerminal(const toolkit::Element& root, const TerminalOptions& options) {
  const TerminalSize size = terminalSize(options);
  const CellTextMeasurer measurer(options.cell);
  const LayoutBox laidOut = toolkit::layoutWidget(root, options.canvas, measurer, options.textSize);

  std::vector<Item> items;
  collect(laidOut, items);
  for (auto& item : items) place(item, options.cell);
  separateRows(items);
  separateColumns(items, options.cell.width);

  // Content taller than the widget's room spills into the margins, where the border is: the drawing grows
  // to keep it, for a terminal has no edge that should cut it off (up to twice its height; beyond, cut).
  int rows = size.rows;
  int above = 0;
  int below = 0;
  for (const auto& item : items) {
    above = std::clamp(1 - item.top, above, rows / 2);
    below = std::clamp(item.bottom - (rows - 1), below, rows / 2);
  }
  for (auto& item : items) {
    item.top += above;
    item.bottom += above;
  }
  rows += above + below;

  Painter painter(options, size.columns, rows);
  painter.border();
  for (const auto& item : items) painter.draw(item);
  return painter.output();
}

}  // namespace velto::render
