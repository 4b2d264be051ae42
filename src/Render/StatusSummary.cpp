// StatusSummary: one walk over the tree into pieces in reading order, then the rules that read them.
#include "StatusSummary.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "Layout.h"

namespace velto::render {
namespace {

using toolkit::Element;
using toolkit::Node;

/// One thing the tree draws, with where it sits: the outermost accessibility element around it and the
/// innermost row (horizontal stack).
struct Piece {
  enum class Kind { text, image, bar };
  Kind kind = Kind::text;
  std::string text;    ///< a text's text; an image's identity
  std::string symbol;  ///< an image's system symbol name
  double size = 0;
  std::optional<toolkit::Color> color;
  int group = -1;
  int row = -1;
  toolkit::BarContent bar;
};

struct Scan {
  std::vector<Piece> pieces;
  std::vector<bool> groupIgnores;  ///< per accessibility element: it ignores its children
  int rows = 0;
};

struct Inherited {
  std::optional<toolkit::Font> font;
  std::optional<toolkit::Color> color;
  int group = -1;
  int row = -1;
};

double pointSizeOf(const std::optional<toolkit::Font>& font) {
  // Sizes at the default text size: only their order matters here.
  if (!font) return toolkit::pointSize(toolkit::TextStyle::body, toolkit::TextSize::large);
  return font->textStyle ? toolkit::pointSize(*font->textStyle, toolkit::TextSize::large) : font->size;
}

void walk(const Element& element, Inherited inherited, Scan& scan) {
  const Node& node = element.node();
  // The innermost setting wins: the element's own over its ancestors'.
  if (node.environment.font) inherited.font = node.environment.font;
  if (node.environment.foreground) inherited.color = node.environment.foreground;
  if (node.traits.accessibilityChildren && inherited.group < 0) {
    inherited.group = static_cast<int>(scan.groupIgnores.size());
    scan.groupIgnores.push_back(*node.traits.accessibilityChildren == toolkit::AccessibilityChildren::ignore);
  }
  if (std::holds_alternative<toolkit::HStackContent>(node.content)) inherited.row = scan.rows++;
  Piece piece{.color = inherited.color, .group = inherited.group, .row = inherited.row};
  if (const auto* text = std::get_if<toolkit::TextContent>(&node.content); text && !text->text.empty()) {
    piece.text = text->text;
    piece.size = pointSizeOf(inherited.font);
    scan.pieces.push_back(std::move(piece));
  } else if (const auto* image = std::get_if<toolkit::ImageContent>(&node.content)) {
    piece.kind = Piece::Kind::image;
    piece.text = node.traits.identity.value_or("");
    if (image->source.kind == toolkit::ImageSource::Kind::systemSymbol) piece.symbol = image->source.name;
    scan.pieces.push_back(std::move(piece));
  } else if (const auto* bar = std::get_if<toolkit::BarContent>(&node.content)) {
    piece.kind = Piece::Kind::bar;
    piece.bar = *bar;
    scan.pieces.push_back(std::move(piece));
  }
  for (const auto& child : node.children) walk(child, inherited, scan);
}

bool isStack(const Element& element) {
  const auto& content = element.node().content;
  return std::holds_alternative<toolkit::VStackContent>(content) ||
         std::holds_alternative<toolkit::HStackContent>(content);
}

bool holdsStack(const Element& element) {
  const auto& children = element.children();
  return std::any_of(children.begin(), children.end(), isStack);
}

/// The texts of a subtree on one line: a row's parts apart by " " (by " · " across a spacer), a vertical
/// stack's by " · ".
std::string line(const Element& element) {
  const Node& node = element.node();
  if (node.traits.accessibilityHidden) return {};
  if (const auto* text = std::get_if<toolkit::TextContent>(&node.content)) return text->text;
  const bool row = std::holds_alternative<toolkit::HStackContent>(node.content);
  std::string joined;
  bool spaced = !row;
  for (const auto& child : node.children) {
    if (std::holds_alternative<toolkit::SpacerContent>(child.node().content)) {
      spaced = true;
      continue;
    }
    const std::string part = line(child);
    if (part.empty()) continue;
    if (!joined.empty()) joined += spaced ? " · " : " ";
    joined += part;
    spaced = !row;
  }
  return joined;
}

void addLines(const Element& element, std::vector<std::string>& lines) {
  const Node& node = element.node();
  if (node.traits.accessibilityHidden) return;
  const bool column = std::holds_alternative<toolkit::VStackContent>(node.content) && holdsStack(element);
  const bool columns = std::holds_alternative<toolkit::HStackContent>(node.content) &&
                       std::any_of(node.children.begin(), node.children.end(), [](const Element& child) {
                         return std::holds_alternative<toolkit::VStackContent>(child.node().content) &&
                                holdsStack(child);
                       });
  // An accessibility element is one block, whatever it holds.
  if (node.traits.accessibilityChildren || !(column || columns)) {
    if (auto text = line(element); !text.empty()) lines.push_back(std::move(text));
    return;
  }
  for (const auto& child : node.children) addLines(child, lines);
}

std::string joined(const std::vector<const Piece*>& texts) {
  std::string out;
  for (const Piece* text : texts) out += (out.empty() ? "" : " ") + text->text;
  return out;
}

/// The row outside every accessibility element with two texts or more, whose last text comes latest.
std::string updatedLine(const std::vector<Piece>& pieces) {
  std::map<int, std::vector<const Piece*>> rows;
  for (const auto& piece : pieces) {
    if (piece.kind == Piece::Kind::text && piece.group < 0 && piece.row >= 0) rows[piece.row].push_back(&piece);
  }
  const std::vector<const Piece*>* latest = nullptr;
  for (const auto& [row, texts] : rows) {
    if (texts.size() >= 2 && (!latest || texts.back() > latest->back())) latest = &texts;
  }
  return latest ? joined(*latest) : std::string();
}

StatusState stateOf(const std::optional<toolkit::Color>& accent, bool clock) {
  if (!accent) return clock ? StatusState::stale : StatusState::normal;
  if (!accent->name) return StatusState::normal;
  switch (*accent->name) {
    case toolkit::ColorName::secondary: return StatusState::stale;
    case toolkit::ColorName::red: return StatusState::critical;
    case toolkit::ColorName::orange: return StatusState::warning;
    default: return StatusState::normal;
  }
}

}  // namespace

std::string_view stateName(StatusState state) {
  switch (state) {
    case StatusState::normal: return "normal";
    case StatusState::warning: return "warning";
    case StatusState::critical: return "critical";
    case StatusState::stale: return "stale";
    case StatusState::unavailable: return "unavailable";
  }
  return "unavailable";
}

StatusSummary readStatus(const toolkit::Element& root) {
  Scan scan;
  walk(root, {}, scan);
  const auto& pieces = scan.pieces;
  StatusSummary summary;
  addLines(root, summary.lines);

  const auto isText = [](const Piece& piece) { return piece.kind == Piece::Kind::text; };
  const auto mark = std::find_if(pieces.begin(), pieces.end(),
                                 [](const Piece& piece) { return piece.kind == Piece::Kind::image; });
  if (mark == pieces.end()) {
    if (const auto title = std::find_if(pieces.begin(), pieces.end(), isText); title != pieces.end()) {
      summary.name = title->text;
    }
    return summary;
  }
  summary.agent = mark->text;
  auto from = std::find_if(mark, pieces.end(), isText);
  if (from != pieces.end()) summary.name = (from++)->text;

  auto figure = pieces.end();
  for (auto it = from; it != pieces.end(); ++it) {
    if (isText(*it) && (figure == pieces.end() || it->size > figure->size)) figure = it;
  }
  std::optional<toolkit::Color> accent;
  if (figure != pieces.end()) {
    for (auto it = from; it != figure; ++it) {
      if (isText(*it)) summary.title = it->text;
    }
    accent = figure->color;
    const int group = figure->group;
    if (group >= 0 && scan.groupIgnores[static_cast<std::size_t>(group)]) {
      summary.output = figure->text;
    } else if (group >= 0 || figure->color) {
      summary.percent = figure->text;
      std::vector<const Piece*> after;
      for (auto it = std::next(figure); group >= 0 && it != pieces.end() && it->group == group; ++it) {
        if (isText(*it)) after.push_back(&*it);
        if (it->kind == Piece::Kind::bar && !summary.percentage) {
          const double fraction = it->bar.fraction > 0 ? std::min(it->bar.fraction, 1.0) : 0.0;  // NaN as 0
          summary.percentage = static_cast<int>(std::lround(fraction * 100));
          accent = it->bar.fill;
        }
      }
      summary.reset = joined(after);
    } else {
      summary.balance = figure->text;
    }
  }
  summary.accent = accent;
  summary.updated = updatedLine(pieces);
  const bool clock =
      std::any_of(pieces.begin(), pieces.end(), [](const Piece& piece) { return piece.symbol == "clock"; });
  summary.state = stateOf(accent, clock);
  return summary;
}

}  // namespace velto::render
