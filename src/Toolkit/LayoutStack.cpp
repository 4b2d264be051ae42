// LayoutStack: how a stack shares its length among its children, as the platform's stacks do.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "LayoutEngine.h"

namespace velto::toolkit::engine {

namespace {

constexpr double defaultSpacing = 8;

struct StackGeometry {
  Axis axis = Axis::vertical;
  std::optional<double> spacing;
};

StackGeometry geometry(const Item& item) {
  if (const auto* stack = std::get_if<HStackContent>(&item.node->content)) return {Axis::horizontal, stack->spacing};
  return {Axis::vertical, std::get<VStackContent>(item.node->content).spacing};
}

double along(Axis axis, Size size) { return axis == Axis::horizontal ? size.width : size.height; }
double across(Axis axis, Size size) { return axis == Axis::horizontal ? size.height : size.width; }
std::optional<double> along(Axis axis, Proposal proposal) {
  return axis == Axis::horizontal ? proposal.width : proposal.height;
}
std::optional<double> across(Axis axis, Proposal proposal) {
  return axis == Axis::horizontal ? proposal.height : proposal.width;
}
Proposal proposalFor(Axis axis, std::optional<double> alongLength, std::optional<double> acrossLength) {
  return axis == Axis::horizontal ? Proposal{alongLength, acrossLength} : Proposal{acrossLength, alongLength};
}

double spacerMinimum(const Item& item) {
  return std::get<SpacerContent>(item.node->content).minLength.value_or(defaultSpacerLength);
}

/// What the stack decided for each child: the offer and the size that came of it, and the gaps between.
struct Plan {
  std::vector<Proposal> proposals;
  std::vector<Size> sizes;
  std::vector<double> gaps;  ///< before each child; the first is 0
  Size total;
};

// With no spacing given, neighbours sit the platform's default apart, but a spacer brings its own room.
std::vector<double> gapsOf(const Item& item, const StackGeometry& stack) {
  std::vector<double> gaps(item.children.size(), 0);
  for (std::size_t i = 1; i < item.children.size(); ++i) {
    const bool besideSpacer = isPlainSpacer(item.children[i - 1]) || isPlainSpacer(item.children[i]);
    gaps[i] = stack.spacing ? *stack.spacing : (besideSpacer ? 0 : defaultSpacing);
  }
  return gaps;
}

Plan plan(const Item& item, Proposal proposal, Context& context) {
  const StackGeometry stack = geometry(item);
  const Axis axis = stack.axis;
  const std::size_t count = item.children.size();
  Plan result{
      .proposals = std::vector<Proposal>(count), .sizes = std::vector<Size>(count), .gaps = gapsOf(item, stack)};
  const double gapTotal = std::accumulate(result.gaps.begin(), result.gaps.end(), 0.0);
  const std::optional<double> crossOffer = across(axis, proposal);
  const auto offer = [&](std::size_t i, std::optional<double> length) {
    const Item& child = item.children[i];
    result.proposals[i] = proposalFor(axis, length, crossOffer);
    result.sizes[i] = sizeOf(child, outermostLayer(child), result.proposals[i], context);
  };

  if (const std::optional<double> offered = along(axis, proposal)) {
    // Spacers keep their minimum and take what the others leave; the others are offered an equal share of
    // what remains, least flexible first, so that a child that needs less leaves more to those after it.
    std::vector<std::size_t> spacers;
    std::vector<std::size_t> others;
    for (std::size_t i = 0; i < count; ++i) (isPlainSpacer(item.children[i]) ? spacers : others).push_back(i);

    std::vector<double> flexibility(count, 0);
    for (const std::size_t i : others) {
      const Item& child = item.children[i];
      const double least =
          along(axis, sizeOf(child, outermostLayer(child), proposalFor(axis, 0.0, crossOffer), context));
      const double most =
          along(axis, sizeOf(child, outermostLayer(child),
                             proposalFor(axis, std::numeric_limits<double>::infinity(), crossOffer), context));
      flexibility[i] = std::isinf(least) ? 0 : most - least;
    }
    std::stable_sort(others.begin(), others.end(),
                     [&](std::size_t a, std::size_t b) { return flexibility[a] < flexibility[b]; });

    double reserved = 0;
    for (const std::size_t i : spacers) reserved += spacerMinimum(item.children[i]);
    double remaining = *offered - gapTotal - reserved;
    std::size_t left = others.size();
    for (const std::size_t i : others) {
      offer(i, std::isinf(remaining) ? remaining : std::max(0.0, remaining) / static_cast<double>(left));
      if (!std::isinf(remaining)) remaining -= along(axis, result.sizes[i]);
      --left;
    }
    const double leftover = std::max(0.0, remaining);
    for (const std::size_t i : spacers) {
      offer(i, spacerMinimum(item.children[i]) + leftover / static_cast<double>(spacers.size()));
    }
  } else {
    for (std::size_t i = 0; i < count; ++i) offer(i, std::nullopt);
  }

  double length = gapTotal;
  double breadth = 0;
  for (const Size& size : result.sizes) {
    length += along(axis, size);
    breadth = std::max(breadth, across(axis, size));
  }
  result.total = axis == Axis::horizontal ? Size{length, breadth} : Size{breadth, length};
  return result;
}

}  // namespace

bool isPlainSpacer(const Item& item) {
  return std::holds_alternative<SpacerContent>(item.node->content) && item.node->layout.empty();
}

Size stackSize(const Item& item, Proposal proposal, Context& context) { return plan(item, proposal, context).total; }

std::vector<LayoutBox> placeStack(const Item& item, Proposal proposal, const Rect& bounds, Context& context) {
  const Plan decided = plan(item, proposal, context);
  std::vector<LayoutBox> boxes;
  boxes.reserve(item.children.size());
  double position = 0;
  for (std::size_t i = 0; i < item.children.size(); ++i) {
    const Item& child = item.children[i];
    const Size size = decided.sizes[i];
    position += decided.gaps[i];
    if (const auto* stack = std::get_if<HStackContent>(&item.node->content)) {
      const double y = bounds.y + offsetWithin(stack->alignment, bounds.height, size.height);
      boxes.push_back(place(child, outermostLayer(child), decided.proposals[i], bounds.x + position, y, context));
      position += size.width;
    } else {
      const auto& vertical = std::get<VStackContent>(item.node->content);
      const double x = bounds.x + offsetWithin(vertical.alignment, bounds.width, size.width);
      boxes.push_back(place(child, outermostLayer(child), decided.proposals[i], x, bounds.y + position, context));
      position += size.height;
    }
  }
  return boxes;
}

}  // namespace velto::toolkit::engine
