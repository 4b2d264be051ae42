// Layout: from an element tree and a proposed size to a tree of frames, as the platform's stacks place views.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "Element.h"
#include "Geometry.h"

namespace velto::toolkit {

/// A font as it is drawn: its size in points after the text size, the text-size cap and any shrinking.
struct ResolvedFont {
  double pointSize = 17;
  FontWeight weight = FontWeight::regular;
  FontDesign design = FontDesign::standard;
  bool monospacedDigits = false;
  friend bool operator==(const ResolvedFont&, const ResolvedFont&) = default;
};

/// The point size of a named text style at a text size: the desktop's size of the style at `large` (body 13,
/// caption 10, headline 13), grown or shrunk in the proportion the platform's dynamic type table grows body
/// text (17 points at `large`, 14 at xSmall, 53 at accessibility5).
double pointSize(TextStyle style, TextSize size);

/// The weight a named style has by itself (headline: semibold; every other style: regular).
FontWeight defaultWeight(TextStyle style);

/// Measures text set on one line. Renderers measure with their real fonts (Pango) or cells (terminal); tests
/// use a fake with fixed widths.
class TextMeasurer {
 public:
  TextMeasurer() = default;
  TextMeasurer(const TextMeasurer&) = delete;
  TextMeasurer& operator=(const TextMeasurer&) = delete;
  virtual ~TextMeasurer() = default;

  /// The width and height, in points, of `text` on one line in `font`.
  virtual Size measure(std::string_view text, const ResolvedFont& font) const = 0;
};

/// A text as drawn: possibly cut (ending in "…") to fit its line limit and width, in its final font. A text
/// that wraps holds its lines separated by "\n", each already measured to fit the frame's width: draw them
/// one under the other, leading-aligned, without wrapping them again.
struct DrawnText {
  std::string text;
  ResolvedFont font;
  Color color;
  friend bool operator==(const DrawnText&, const DrawnText&) = default;
};
/// A system symbol ("square.split.2x2", "terminal", "clock"), drawn to fill its frame in `color`.
struct DrawnSymbol {
  std::string name;
  Color color;
  friend bool operator==(const DrawnSymbol&, const DrawnSymbol&) = default;
};
/// A picture file drawn to fill its frame (the frame already keeps the picture's aspect ratio where asked).
struct DrawnImage {
  std::filesystem::path file;
  friend bool operator==(const DrawnImage&, const DrawnImage&) = default;
};
/// A bar: a track capsule over the whole frame and a fill capsule over `fraction` of its width from the
/// leading edge.
struct DrawnBar {
  double fraction = 0;
  Color track;
  Color fill;
  friend bool operator==(const DrawnBar&, const DrawnBar&) = default;
};

using Drawn = std::variant<std::monostate, DrawnText, DrawnSymbol, DrawnImage, DrawnBar>;

/// One laid-out element: its frame on the canvas, what it draws itself, and its children in drawing order.
/// A label becomes a box with a symbol child and a text child; stacks and frames draw nothing themselves.
struct LayoutBox {
  Rect frame;
  Drawn drawn;
  bool privacySensitive = false;  ///< this box lies inside a privacy-sensitive element
  std::vector<LayoutBox> children;
  friend bool operator==(const LayoutBox&, const LayoutBox&) = default;
};

/// Lays `root` out within `proposed`, placed at the origin, with the user's `textSize` (before any cap in the
/// tree). Stacks place children of fixed size first, then share what is left among flexible children, spacers
/// never below their minimum; frames with an infinite maximum take all the room offered and align their
/// content; a one-line text shrinks down to its minimum scale factor before it is cut with "…"; a text-size
/// cap in the tree clamps the text size that styles below it are sized with. Every padding and frame adds a
/// box around its content's; the empty element takes no room and no spacing in a stack and gets no box there.
/// Picture files are read for their size (the PNG header) and resources resolved with `namedImage`.
LayoutBox layout(const Element& root, Size proposed, const TextMeasurer& measurer, TextSize textSize);

/// A widget's canvas: its size in points, the content margins inside it and the corner radius of its
/// rounded background.
struct WidgetCanvas {
  Size size;
  double margin = 16;
  double cornerRadius = 22;

  /// 170 x 170 points.
  static WidgetCanvas small();
  /// 364 x 170 points.
  static WidgetCanvas medium();
  /// 364 x 382 points.
  static WidgetCanvas large();

  /// The room left for the content inside the margins.
  Rect contentRect() const;
};

/// The content laid out inside the canvas's margins, centred in the room there as the platform places a
/// widget's content.
LayoutBox layoutWidget(const Element& root, const WidgetCanvas& canvas, const TextMeasurer& measurer,
                       TextSize textSize);

}  // namespace velto::toolkit
