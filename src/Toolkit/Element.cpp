// Element: factories and modifiers; each modifier copies the node it changes and shares the children.
#include "Element.h"

#include <stdexcept>

namespace velto::toolkit {

Element makeElement(Node node) { return Element(std::make_shared<const Node>(std::move(node))); }

namespace {

const std::shared_ptr<const Node>& emptyNode() {
  static const auto node = std::make_shared<const Node>();
  return node;
}

// Environment values: the innermost setting wins, so an element keeps the value it already has.
template <typename Value>
void setInner(std::optional<Value>& slot, Value value) {
  if (!slot) slot = std::move(value);
}

}  // namespace

Element::Element() : node_(emptyNode()) {}

const std::vector<Element>& Element::children() const { return node_->children; }

template <typename Change>
Element Element::changed(Change change) const {
  Node copy = *node_;
  change(copy);
  return makeElement(std::move(copy));
}

Element Element::font(Font font) const {
  return changed([&](Node& n) { setInner(n.environment.font, font); });
}
Element Element::foregroundStyle(Color color) const {
  return changed([&](Node& n) { setInner(n.environment.foreground, color); });
}
Element Element::lineLimit(int lines) const {
  return changed([&](Node& n) { setInner(n.environment.lineLimit, lines); });
}
Element Element::minimumScaleFactor(double factor) const {
  return changed([&](Node& n) { setInner(n.environment.minimumScaleFactor, factor); });
}
Element Element::monospacedDigit() const {
  return changed([](Node& n) { n.environment.monospacedDigit = true; });
}
Element Element::dynamicTypeSize(TextSize lower, TextSize upper) const {
  return changed([&](Node& n) { setInner(n.environment.textSizeRange, TextSizeRange{lower, upper}); });
}

Element Element::padding(double length) const {
  return changed([&](Node& n) { n.layout.emplace_back(Padding{length}); });
}
Element Element::frame(const FrameSpec& frame) const {
  return changed([&](Node& n) { n.layout.emplace_back(frame); });
}
Element Element::frame(double width, double height) const { return frame(FrameSpec{.width = width, .height = height}); }
Element Element::scaledToFit() const {
  return changed([](Node& n) { n.layout.emplace_back(AspectRatioFit{}); });
}
Element Element::resizable() const {
  if (!std::holds_alternative<ImageContent>(node_->content) || !node_->layout.empty()) {
    throw std::logic_error("only an image can be made resizable, before any layout modifier");
  }
  return changed([](Node& n) { std::get<ImageContent>(n.content).resizable = true; });
}

Element Element::accessibilityElement(AccessibilityChildren children) const {
  return changed([&](Node& n) { n.traits.accessibilityChildren = children; });
}
Element Element::accessibilityLabel(std::string label) const {
  return changed([&](Node& n) { n.traits.accessibilityLabel = std::move(label); });
}
Element Element::accessibilityHidden(bool hidden) const {
  return changed([&](Node& n) { n.traits.accessibilityHidden = hidden; });
}
Element Element::id(std::string identity) const {
  return changed([&](Node& n) { n.traits.identity = std::move(identity); });
}
Element Element::widgetURL(std::string url) const {
  return changed([&](Node& n) { n.traits.url = std::move(url); });
}
Element Element::privacySensitive(bool sensitive) const {
  return changed([&](Node& n) { n.traits.privacySensitive = sensitive; });
}
Element Element::containerBackground() const {
  return changed([](Node& n) { n.traits.containerBackground = true; });
}

bool operator==(const Element& a, const Element& b) { return a.node_ == b.node_ || *a.node_ == *b.node_; }

Element VStack(HorizontalAlignment alignment, std::optional<double> spacing, std::vector<Element> children) {
  return makeElement({.content = VStackContent{alignment, spacing}, .children = std::move(children)});
}
Element HStack(VerticalAlignment alignment, std::optional<double> spacing, std::vector<Element> children) {
  return makeElement({.content = HStackContent{alignment, spacing}, .children = std::move(children)});
}
Element Text(std::string text) { return makeElement({.content = TextContent{std::move(text)}}); }
Element Label(std::string title, std::string systemImage) {
  return makeElement({.content = LabelContent{std::move(title), std::move(systemImage)}});
}
Element Image(ImageSource source) { return makeElement({.content = ImageContent{std::move(source)}}); }
Element Spacer(std::optional<double> minLength) { return makeElement({.content = SpacerContent{minLength}}); }
Element Bar(double fraction, Color track, Color fill) {
  return makeElement({.content = BarContent{fraction, track, fill}});
}
Element Empty() { return Element(); }

bool isEmpty(const Element& element) { return std::holds_alternative<EmptyContent>(element.node().content); }

}  // namespace velto::toolkit
