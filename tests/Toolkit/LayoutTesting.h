// LayoutTesting: a laid-out tree as short lines of text, so that fixtures state whole layouts at a glance.
#pragma once

#include <array>
#include <charconv>
#include <cmath>
#include <string>

#include "Layout.h"

namespace velto::testing_support {

/// `value` rounded to a thousandth of a point, in its shortest form ("20.4", "7.5", "0").
inline std::string points(double value) {
  double rounded = std::round(value * 1000) / 1000;
  if (rounded == 0) rounded = 0;  // no "-0"
  std::array<char, 32> buffer{};
  const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), rounded).ptr;
  return std::string(buffer.data(), end);
}

/// One line per box, children indented by two spaces: what it draws, then "x,y wxh", then "private" when it
/// is privacy-sensitive. A text shows its characters (a line break as "\n") and "@" its point size.
inline std::string dumpLayout(const toolkit::LayoutBox& box, int depth = 0) {
  using namespace toolkit;
  std::string out(static_cast<std::size_t>(depth) * 2, ' ');
  if (const auto* text = std::get_if<DrawnText>(&box.drawn)) {
    std::string shown;
    for (const char c : text->text) shown += c == '\n' ? std::string("\\n") : std::string(1, c);
    out += "text \"" + shown + "\" @" + points(text->font.pointSize) + " ";
  } else if (const auto* symbol = std::get_if<DrawnSymbol>(&box.drawn)) {
    out += "symbol " + symbol->name + " ";
  } else if (const auto* image = std::get_if<DrawnImage>(&box.drawn)) {
    out += "image " + image->file.filename().string() + " ";
  } else if (const auto* bar = std::get_if<DrawnBar>(&box.drawn)) {
    out += "bar " + points(bar->fraction) + " ";
  } else {
    out += "box ";
  }
  const Rect& f = box.frame;
  out += points(f.x) + "," + points(f.y) + " " + points(f.width) + "x" + points(f.height);
  if (box.privacySensitive) out += " private";
  out += '\n';
  for (const auto& child : box.children) out += dumpLayout(child, depth + 1);
  return out;
}

/// Calls `visit` on `box` and every box below it.
template <typename Visit>
void forEachBox(const toolkit::LayoutBox& box, Visit&& visit) {
  visit(box);
  for (const auto& child : box.children) forEachBox(child, visit);
}

}  // namespace velto::testing_support
