// LayoutEngine: the pieces the layout is made of, shared by its source files and by nothing else.
#pragma once

#include <cstddef>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "Layout.h"

namespace velto::toolkit::engine {

/// The room offered to an element along each axis: a length (possibly infinite), or nothing to ask for the
/// element's ideal length.
struct Proposal {
  std::optional<double> width;
  std::optional<double> height;
  friend bool operator==(const Proposal&, const Proposal&) = default;
};

enum class Axis { none, horizontal, vertical };

/// A spacer's minimum length when it sets none.
inline constexpr double defaultSpacerLength = 8;

/// Positions where a text may be cut, as byte offsets: line-break opportunities (after the break) and
/// grapheme-cluster boundaries, each list ascending and ending at the text's length.
struct TextBreaks {
  std::vector<std::size_t> lineBreaks;
  std::vector<bool> mandatory;  ///< per line break: a hard break (after a line terminator)
  std::vector<std::size_t> characters;
};

/// A text fitted to a proposal: its lines (joined by "\n"), its final font and its size.
struct FittedText {
  std::string text;
  ResolvedFont font;
  Size size;
  double firstLineHeight = 0;
};

/// The text attributes an element inherits from its ancestors, resolved.
struct TextAttributes {
  ResolvedFont font;
  Color color = Color::primary();
  std::optional<int> lineLimit;
  double minimumScaleFactor = 1;
};

/// One element with its environment resolved, built once per layout; sizes are remembered per proposal, so
/// that the stacks' repeated questions cost one answer each.
struct Item {
  const Node* node = nullptr;
  TextAttributes attributes;
  bool privacySensitive = false;
  Axis stackAxis = Axis::none;  ///< the axis of the stack this element is a direct child of
  std::vector<Item> children;   ///< the non-empty children

  struct SizeEntry {
    std::size_t layer;
    Proposal proposal;
    Size size;
  };
  mutable std::vector<SizeEntry> sizes;
  mutable std::deque<std::pair<Proposal, FittedText>> texts;  ///< a deque: answers handed out stay put
};

/// What one layout call shares: the measurer, and the answers that do not depend on where an element sits.
class Context {
 public:
  explicit Context(const TextMeasurer& measurer) : measurer_(measurer) {}

  /// The measurer's answer, asked once per text and font.
  Size measure(std::string_view text, const ResolvedFont& font);
  const TextBreaks& breaks(const std::string& text);
  /// The picture an image source stands for, resolved and with its size in points; nothing when it has none.
  struct Picture {
    std::filesystem::path file;
    Size size;
  };
  const std::optional<Picture>& picture(const ImageSource& source);

 private:
  using FontKey = std::tuple<double, FontWeight, FontDesign, bool>;
  const TextMeasurer& measurer_;
  std::map<std::pair<std::string, FontKey>, Size, std::less<>> measured_;
  std::map<std::string, TextBreaks, std::less<>> breaks_;
  std::map<std::tuple<ImageSource::Kind, std::filesystem::path, std::string>, std::optional<Picture>> pictures_;
};

/// Layers of an element: 0 is its content, `n` its n-th layout modifier (the first applied is 1).
std::size_t outermostLayer(const Item& item);

/// The size `item` takes at `layer` when offered `proposal`.
Size sizeOf(const Item& item, std::size_t layer, Proposal proposal, Context& context);
/// `item` at `layer` laid out for `proposal` with its top-leading corner at (x, y).
LayoutBox place(const Item& item, std::size_t layer, Proposal proposal, double x, double y, Context& context);

/// Where content of `length` starts within `room` at `alignment`.
double offsetWithin(HorizontalAlignment alignment, double room, double length);
double offsetWithin(VerticalAlignment alignment, double room, double length);

// Stacks (LayoutStack.cpp).
Size stackSize(const Item& item, Proposal proposal, Context& context);
std::vector<LayoutBox> placeStack(const Item& item, Proposal proposal, const Rect& bounds, Context& context);
bool isPlainSpacer(const Item& item);

// Texts (LayoutText.cpp).
/// `text` set in `attributes` within `proposal`: wrapped at line-break opportunities up to the line limit
/// and the lines that fit the offered height, shrunk towards the minimum scale factor while it does not
/// fit, and cut with "…" once it cannot shrink further.
FittedText fitText(const std::string& text, const TextAttributes& attributes, Proposal proposal, Context& context);
/// `fitText` of the element's own text, remembered per proposal.
const FittedText& fittedText(const Item& item, const std::string& text, Proposal proposal, Context& context);

// Images and labels (LayoutImage.cpp).
Size imageSize(const Item& item, Proposal proposal, Context& context);
Drawn imageDrawn(const Item& item, Context& context);
Size labelSize(const Item& item, Proposal proposal, Context& context);
std::vector<LayoutBox> placeLabel(const Item& item, Proposal proposal, const Rect& bounds, Context& context);

}  // namespace velto::toolkit::engine
