// Element: one node of a declarative view tree, built by factory functions and chainable modifiers.
#pragma once

#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "Alignment.h"
#include "Color.h"
#include "Font.h"
#include "ImageSource.h"
#include "TextSize.h"

namespace velto::toolkit {

/// An unbounded frame dimension: the element takes all the room it is offered.
inline constexpr double infinity = std::numeric_limits<double>::infinity();

struct Node;

/// An immutable view element. Copies share the node; every modifier returns a new element and leaves the
/// original as it was, so a tree is a plain value that can be built, kept and compared freely.
///
/// Two kinds of attributes, as on the platform: environment values (font, foreground colour, line limit,
/// minimum scale factor, equal-width digits, the text-size cap) reach every descendant that does not set its
/// own, and the innermost setting wins, so applying one to an element that already has it changes nothing;
/// element attributes (accessibility, identity, URL, privacy, background) belong to the element itself, and
/// the last one applied wins. Padding, frames and aspect ratios wrap the element in the order applied.
class Element {
 public:
  /// The empty element; it takes no room and says nothing.
  Element();

  const Node& node() const { return *node_; }
  const std::vector<Element>& children() const;

  // Environment values.
  Element font(Font font) const;
  Element foregroundStyle(Color color) const;
  Element lineLimit(int lines) const;
  /// The text may shrink to `factor` of its size before it is cut.
  Element minimumScaleFactor(double factor) const;
  /// Digits take equal widths, so that changing figures do not move the text around them.
  Element monospacedDigit() const;
  /// Text sizes outside `lower`...`upper` render as the nearer end.
  Element dynamicTypeSize(TextSize lower, TextSize upper) const;

  // Layout, in the order applied.
  Element padding(double length) const;
  struct FrameSpec;
  Element frame(const FrameSpec& frame) const;
  Element frame(double width, double height) const;
  /// Scales the content to fit the offered room, keeping its aspect ratio.
  Element scaledToFit() const;
  /// An image drawn at the size of its frame instead of its own; only images can be resizable.
  Element resizable() const;

  // Element attributes.
  enum class AccessibilityChildren { combine, ignore, contain };
  /// Makes the element one accessibility element: `combine` reads its children's labels as one, `ignore`
  /// hides them (give it a label), `contain` keeps them as elements of their own.
  Element accessibilityElement(AccessibilityChildren children) const;
  Element accessibilityLabel(std::string label) const;
  Element accessibilityHidden(bool hidden = true) const;
  /// Identity of a child of a list, so that a renderer can follow it from one entry to the next.
  Element id(std::string identity) const;
  /// The URL opened when the widget is tapped.
  Element widgetURL(std::string url) const;
  /// The platform may redact the element, for instance on a locked screen.
  Element privacySensitive(bool sensitive = true) const;
  /// The widget's background in the platform's default style.
  Element containerBackground() const;

  friend bool operator==(const Element& a, const Element& b);

 private:
  explicit Element(std::shared_ptr<const Node> node) : node_(std::move(node)) {}
  template <typename Change>
  Element changed(Change change) const;

  std::shared_ptr<const Node> node_;

  friend Element makeElement(Node node);
};

/// The frame of `frame(...)`: fixed sizes, bounds (infinity: take all the room) and where the content sits.
struct Element::FrameSpec {
  std::optional<double> width;
  std::optional<double> height;
  std::optional<double> minWidth;
  std::optional<double> maxWidth;
  std::optional<double> minHeight;
  std::optional<double> maxHeight;
  Alignment alignment = Alignment::center;

  friend bool operator==(const FrameSpec&, const FrameSpec&) = default;
};

using AccessibilityChildren = Element::AccessibilityChildren;
using FrameSpec = Element::FrameSpec;

/// What an element draws itself; children are laid out by stacks only.
struct VStackContent {
  HorizontalAlignment alignment = HorizontalAlignment::center;
  std::optional<double> spacing;  ///< absent: the platform's default spacing
  friend bool operator==(const VStackContent&, const VStackContent&) = default;
};
struct HStackContent {
  VerticalAlignment alignment = VerticalAlignment::center;
  std::optional<double> spacing;  ///< absent: the platform's default spacing
  friend bool operator==(const HStackContent&, const HStackContent&) = default;
};
struct TextContent {
  std::string text;
  friend bool operator==(const TextContent&, const TextContent&) = default;
};
/// A title with a system symbol before it.
struct LabelContent {
  std::string title;
  std::string symbol;
  friend bool operator==(const LabelContent&, const LabelContent&) = default;
};
struct ImageContent {
  ImageSource source;
  bool resizable = false;
  friend bool operator==(const ImageContent&, const ImageContent&) = default;
};
/// Flexible empty room along its stack's axis, never shorter than `minLength`.
struct SpacerContent {
  std::optional<double> minLength;  ///< absent: the platform's default minimum
  friend bool operator==(const SpacerContent&, const SpacerContent&) = default;
};
/// A progress bar as wide as it is offered: a track capsule over the full width in `track`, and over it,
/// from the leading edge, a fill capsule `fraction` (0 to 1) of that width in `fill`. Both capsules have
/// continuous corners; the height comes from a frame.
struct BarContent {
  double fraction = 0;
  Color track;
  Color fill;
  friend bool operator==(const BarContent&, const BarContent&) = default;
};
struct EmptyContent {
  friend bool operator==(const EmptyContent&, const EmptyContent&) = default;
};

using Content = std::variant<EmptyContent, VStackContent, HStackContent, TextContent, LabelContent, ImageContent,
                             SpacerContent, BarContent>;

/// Values that reach descendants without their own.
struct Environment {
  std::optional<Font> font;
  std::optional<Color> foreground;
  std::optional<int> lineLimit;
  std::optional<double> minimumScaleFactor;
  bool monospacedDigit = false;
  std::optional<TextSizeRange> textSizeRange;
  friend bool operator==(const Environment&, const Environment&) = default;
};

/// Attributes of the element itself.
struct Traits {
  std::optional<AccessibilityChildren> accessibilityChildren;
  std::optional<std::string> accessibilityLabel;
  bool accessibilityHidden = false;
  std::optional<std::string> identity;
  std::optional<std::string> url;
  bool privacySensitive = false;
  bool containerBackground = false;
  friend bool operator==(const Traits&, const Traits&) = default;
};

struct Padding {
  double length = 0;
  friend bool operator==(const Padding&, const Padding&) = default;
};
struct AspectRatioFit {
  friend bool operator==(const AspectRatioFit&, const AspectRatioFit&) = default;
};
/// One layout wrapper; the first in a node's list is the innermost.
using LayoutModifier = std::variant<Padding, FrameSpec, AspectRatioFit>;

struct Node {
  Content content;
  std::vector<Element> children;
  Environment environment;
  Traits traits;
  std::vector<LayoutModifier> layout;
  friend bool operator==(const Node&, const Node&) = default;
};

/// A vertical stack; children are placed top to bottom, `spacing` points apart.
Element VStack(HorizontalAlignment alignment, std::optional<double> spacing, std::vector<Element> children);
/// A horizontal stack; children are placed leading to trailing, `spacing` points apart.
Element HStack(VerticalAlignment alignment, std::optional<double> spacing, std::vector<Element> children);
/// A text shown as it stands.
Element Text(std::string text);
/// A title with a system symbol.
Element Label(std::string title, std::string systemImage);
Element Image(ImageSource source);
Element Spacer(std::optional<double> minLength = std::nullopt);
Element Bar(double fraction, Color track, Color fill);
/// The empty element (as `Element()`).
Element Empty();

/// True when the element is the empty element, with or without modifiers.
bool isEmpty(const Element& element);

}  // namespace velto::toolkit
