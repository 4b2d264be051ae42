// Layout: the type table, the environment each element inherits, layout modifiers and the widget canvas.
#include "Layout.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "LayoutEngine.h"

namespace velto::toolkit {

namespace {

// The desktop's sizes of the text styles (in TextStyle order) at the default text size, `large`: a desktop
// widget's text is smaller than a phone's (body 13 points, not 17), and the widget's layouts are drawn for
// these sizes.
constexpr std::array<double, 11> desktopSizes{26, 22, 17, 15, 13, 11, 13, 12, 10, 10, 10};

// How body text grows with the text size (xSmall ... accessibility5) in the platform's published dynamic type
// table, where it is 17 points at `large`. Every style grows in the same proportion, so their order holds.
constexpr std::array<double, 12> bodyGrowth{14, 15, 16, 17, 19, 21, 23, 28, 33, 40, 47, 53};

}  // namespace

double pointSize(TextStyle style, TextSize size) {
  constexpr double bodyAtLarge = bodyGrowth[static_cast<std::size_t>(TextSize::large)];
  return desktopSizes.at(static_cast<std::size_t>(style)) * bodyGrowth.at(static_cast<std::size_t>(size)) /
         bodyAtLarge;
}

FontWeight defaultWeight(TextStyle style) {
  return style == TextStyle::headline ? FontWeight::semibold : FontWeight::regular;
}

namespace engine {

double offsetWithin(HorizontalAlignment alignment, double room, double length) {
  switch (alignment) {
    case HorizontalAlignment::leading:
      return 0;
    case HorizontalAlignment::center:
      return (room - length) / 2;
    case HorizontalAlignment::trailing:
      return room - length;
  }
  return 0;
}

double offsetWithin(VerticalAlignment alignment, double room, double length) {
  switch (alignment) {
    case VerticalAlignment::top:
      return 0;
    case VerticalAlignment::center:
      return (room - length) / 2;
    case VerticalAlignment::bottom:
      return room - length;
  }
  return 0;
}

namespace {

// What a node hands down to its descendants, before fonts are resolved against the text size.
struct Inherited {
  std::optional<Font> font;
  Color color = Color::primary();
  std::optional<int> lineLimit;
  double minimumScaleFactor = 1;
  bool monospacedDigit = false;
  TextSize textSize = TextSize::large;
  bool privacySensitive = false;
};

ResolvedFont resolve(const std::optional<Font>& font, TextSize size, bool monospacedDigit) {
  const Font chosen = font.value_or(Font::style(TextStyle::body));
  ResolvedFont resolved{.design = chosen.fontDesign, .monospacedDigits = monospacedDigit};
  if (chosen.textStyle) {
    resolved.pointSize = pointSize(*chosen.textStyle, size);
    resolved.weight = chosen.fontWeight.value_or(defaultWeight(*chosen.textStyle));
  } else {
    resolved.pointSize = chosen.size;
    resolved.weight = chosen.fontWeight.value_or(FontWeight::regular);
  }
  return resolved;
}

Item build(const Element& element, Inherited inherited, Axis stackAxis) {
  const Node& node = element.node();
  // A node's own setting is the innermost one its subtree sees.
  const Environment& own = node.environment;
  if (own.font) inherited.font = own.font;
  if (own.foreground) inherited.color = *own.foreground;
  if (own.lineLimit) inherited.lineLimit = own.lineLimit;
  if (own.minimumScaleFactor) inherited.minimumScaleFactor = *own.minimumScaleFactor;
  inherited.monospacedDigit = inherited.monospacedDigit || own.monospacedDigit;
  if (own.textSizeRange) inherited.textSize = own.textSizeRange->clamp(inherited.textSize);
  inherited.privacySensitive = inherited.privacySensitive || node.traits.privacySensitive;

  Item item{.node = &node,
            .attributes = {.font = resolve(inherited.font, inherited.textSize, inherited.monospacedDigit),
                           .color = inherited.color,
                           .lineLimit = inherited.lineLimit,
                           .minimumScaleFactor = std::clamp(inherited.minimumScaleFactor, 0.0, 1.0)},
            .privacySensitive = inherited.privacySensitive,
            .stackAxis = stackAxis};
  Axis childAxis = Axis::none;
  if (std::holds_alternative<VStackContent>(node.content)) childAxis = Axis::vertical;
  if (std::holds_alternative<HStackContent>(node.content)) childAxis = Axis::horizontal;
  for (const Element& child : node.children) {
    // The empty element is no child at all: it takes no room and no spacing.
    if (!isEmpty(child)) item.children.push_back(build(child, inherited, childAxis));
  }
  return item;
}

// Padding takes its length off each side of what is offered; an infinite or absent offer stays as it is.
std::optional<double> inset(std::optional<double> offer, double length) {
  if (!offer || std::isinf(*offer)) return offer;
  return std::max(0.0, *offer - 2 * length);
}

// The offer a frame passes on along one axis: its fixed length, else the offer within its bounds.
std::optional<double> frameOffer(std::optional<double> fixed, std::optional<double> lower, std::optional<double> upper,
                                 std::optional<double> offer) {
  if (fixed) return fixed;
  if (!offer) return offer;
  double value = *offer;
  if (lower) value = std::max(value, *lower);
  if (upper) value = std::min(value, *upper);
  return value;
}

// A frame's own length along one axis, given its content's: a bounded frame grows towards the offer up to
// its maximum and shrinks towards it down to its minimum.
double frameLength(std::optional<double> fixed, std::optional<double> lower, std::optional<double> upper,
                   std::optional<double> offer, double content) {
  if (fixed) return *fixed;
  double length = content;
  const double offered = offer.value_or(content);
  if (lower) length = std::max(*lower, std::min(length, offered));
  if (upper) length = std::min(*upper, std::max(length, offered));
  return length;
}

Proposal frameProposal(const FrameSpec& frame, Proposal proposal) {
  return {frameOffer(frame.width, frame.minWidth, frame.maxWidth, proposal.width),
          frameOffer(frame.height, frame.minHeight, frame.maxHeight, proposal.height)};
}

// The largest size of the content's own proportions within the offer; the offer itself when the content has
// no proportions.
Proposal fitProposal(Size ideal, Proposal proposal) {
  if (!(ideal.width > 0) || !(ideal.height > 0)) return proposal;
  const double ratio = ideal.width / ideal.height;
  const bool hasWidth = proposal.width && std::isfinite(*proposal.width);
  const bool hasHeight = proposal.height && std::isfinite(*proposal.height);
  if (hasWidth && hasHeight) {
    const double width = std::min(*proposal.width, *proposal.height * ratio);
    return {width, width / ratio};
  }
  if (hasWidth) return {*proposal.width, *proposal.width / ratio};
  if (hasHeight) return {*proposal.height * ratio, *proposal.height};
  return {ideal.width, ideal.height};
}

constexpr double defaultBarHeight = 4;

Size spacerSize(const Item& item, const SpacerContent& spacer, Proposal proposal) {
  const double least = spacer.minLength.value_or(defaultSpacerLength);
  const auto along = [&](std::optional<double> offer) { return std::max(least, offer.value_or(least)); };
  switch (item.stackAxis) {
    case Axis::horizontal:
      return {along(proposal.width), 0};
    case Axis::vertical:
      return {0, along(proposal.height)};
    case Axis::none:
      break;
  }
  return {along(proposal.width), along(proposal.height)};
}

Size contentSize(const Item& item, Proposal proposal, Context& context) {
  const Content& content = item.node->content;
  if (std::holds_alternative<VStackContent>(content) || std::holds_alternative<HStackContent>(content)) {
    return stackSize(item, proposal, context);
  }
  if (const auto* text = std::get_if<TextContent>(&content))
    return fittedText(item, text->text, proposal, context).size;
  if (std::holds_alternative<LabelContent>(content)) return labelSize(item, proposal, context);
  if (std::holds_alternative<ImageContent>(content)) return imageSize(item, proposal, context);
  if (const auto* spacer = std::get_if<SpacerContent>(&content)) return spacerSize(item, *spacer, proposal);
  // A bar takes the width offered and the height of its frame.
  if (std::holds_alternative<BarContent>(content)) {
    return {proposal.width.value_or(0), proposal.height.value_or(defaultBarHeight)};
  }
  return {};
}

Size computeSize(const Item& item, std::size_t layer, Proposal proposal, Context& context) {
  if (layer == 0) return contentSize(item, proposal, context);
  const LayoutModifier& modifier = item.node->layout[layer - 1];
  if (const auto* padding = std::get_if<Padding>(&modifier)) {
    const Size inner = sizeOf(
        item, layer - 1, {inset(proposal.width, padding->length), inset(proposal.height, padding->length)}, context);
    return {inner.width + 2 * padding->length, inner.height + 2 * padding->length};
  }
  if (const auto* frame = std::get_if<FrameSpec>(&modifier)) {
    const Size inner = sizeOf(item, layer - 1, frameProposal(*frame, proposal), context);
    return {frameLength(frame->width, frame->minWidth, frame->maxWidth, proposal.width, inner.width),
            frameLength(frame->height, frame->minHeight, frame->maxHeight, proposal.height, inner.height)};
  }
  const Size ideal = sizeOf(item, layer - 1, {}, context);
  return sizeOf(item, layer - 1, fitProposal(ideal, proposal), context);
}

}  // namespace

std::size_t outermostLayer(const Item& item) { return item.node->layout.size(); }

Size sizeOf(const Item& item, std::size_t layer, Proposal proposal, Context& context) {
  for (const auto& entry : item.sizes) {
    if (entry.layer == layer && entry.proposal == proposal) return entry.size;
  }
  const Size size = computeSize(item, layer, proposal, context);
  item.sizes.push_back({layer, proposal, size});
  return size;
}

LayoutBox place(const Item& item, std::size_t layer, Proposal proposal, double x, double y, Context& context) {
  const Size size = sizeOf(item, layer, proposal, context);
  LayoutBox box{.frame = {x, y, size.width, size.height}, .privacySensitive = item.privacySensitive};
  if (layer > 0) {
    const LayoutModifier& modifier = item.node->layout[layer - 1];
    if (const auto* padding = std::get_if<Padding>(&modifier)) {
      const Proposal inner{inset(proposal.width, padding->length), inset(proposal.height, padding->length)};
      box.children.push_back(place(item, layer - 1, inner, x + padding->length, y + padding->length, context));
    } else if (const auto* frame = std::get_if<FrameSpec>(&modifier)) {
      const Proposal inner = frameProposal(*frame, proposal);
      const Size content = sizeOf(item, layer - 1, inner, context);
      box.children.push_back(place(item, layer - 1, inner,
                                   x + offsetWithin(frame->alignment.horizontal, size.width, content.width),
                                   y + offsetWithin(frame->alignment.vertical, size.height, content.height), context));
    } else {
      // Fitting to an aspect ratio only changes what the content is offered; it adds no box of its own.
      return place(item, layer - 1, fitProposal(sizeOf(item, layer - 1, {}, context), proposal), x, y, context);
    }
    return box;
  }

  const Content& content = item.node->content;
  if (std::holds_alternative<VStackContent>(content) || std::holds_alternative<HStackContent>(content)) {
    box.children = placeStack(item, proposal, box.frame, context);
  } else if (const auto* text = std::get_if<TextContent>(&content)) {
    const FittedText& fitted = fittedText(item, text->text, proposal, context);
    box.drawn = DrawnText{fitted.text, fitted.font, item.attributes.color};
  } else if (std::holds_alternative<LabelContent>(content)) {
    box.children = placeLabel(item, proposal, box.frame, context);
  } else if (std::holds_alternative<ImageContent>(content)) {
    box.drawn = imageDrawn(item, context);
  } else if (const auto* bar = std::get_if<BarContent>(&content)) {
    box.drawn = DrawnBar{std::isnan(bar->fraction) ? 0 : std::clamp(bar->fraction, 0.0, 1.0), bar->track, bar->fill};
  }
  return box;
}

namespace {

LayoutBox layoutAt(const Element& root, Proposal proposal, const std::optional<Rect>& centreIn,
                   const TextMeasurer& measurer, TextSize textSize) {
  Context context(measurer);
  const Item item = build(root, Inherited{.textSize = textSize}, Axis::none);
  double x = 0;
  double y = 0;
  if (centreIn) {
    // The platform centres a widget's content in the room inside the margins.
    const Size size = sizeOf(item, outermostLayer(item), proposal, context);
    x = centreIn->x + (centreIn->width - size.width) / 2;
    y = centreIn->y + (centreIn->height - size.height) / 2;
  }
  return place(item, outermostLayer(item), proposal, x, y, context);
}

}  // namespace
}  // namespace engine

LayoutBox layout(const Element& root, Size proposed, const TextMeasurer& measurer, TextSize textSize) {
  return engine::layoutAt(root, {proposed.width, proposed.height}, std::nullopt, measurer, textSize);
}

WidgetCanvas WidgetCanvas::small() { return {.size = {170, 170}}; }
WidgetCanvas WidgetCanvas::medium() { return {.size = {364, 170}}; }
WidgetCanvas WidgetCanvas::large() { return {.size = {364, 382}}; }

Rect WidgetCanvas::contentRect() const {
  return {margin, margin, std::max(0.0, size.width - 2 * margin), std::max(0.0, size.height - 2 * margin)};
}

LayoutBox layoutWidget(const Element& root, const WidgetCanvas& canvas, const TextMeasurer& measurer,
                       TextSize textSize) {
  const Rect room = canvas.contentRect();
  return engine::layoutAt(root, {room.width, room.height}, room, measurer, textSize);
}

}  // namespace velto::toolkit
