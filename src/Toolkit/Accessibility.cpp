// Accessibility: one walk over the tree that gathers the labels a screen reader would visit.
#include "Accessibility.h"

namespace velto::toolkit {
namespace {

std::string ownText(const Node& node) {
  if (const auto* text = std::get_if<TextContent>(&node.content)) return text->text;
  if (const auto* label = std::get_if<LabelContent>(&node.content)) return label->title;
  return {};
}

void collect(const Element& element, std::vector<std::string>& out);

std::string joinedChildren(const Element& element) {
  std::vector<std::string> labels;
  for (const auto& child : element.children()) collect(child, labels);
  std::string joined;
  for (const auto& label : labels) {
    if (!joined.empty()) joined += ", ";
    joined += label;
  }
  return joined;
}

void collect(const Element& element, std::vector<std::string>& out) {
  const Node& node = element.node();
  const Traits& traits = node.traits;
  if (traits.accessibilityHidden) return;

  std::string label;
  if (traits.accessibilityChildren == AccessibilityChildren::combine) {
    label = traits.accessibilityLabel ? *traits.accessibilityLabel : joinedChildren(element);
  } else if (traits.accessibilityChildren == AccessibilityChildren::ignore ||
             (traits.accessibilityLabel && traits.accessibilityChildren != AccessibilityChildren::contain)) {
    // A label on an element that is not grouped makes it one element all the same: the label speaks for it.
    label = traits.accessibilityLabel.value_or("");
  } else if (node.children.empty()) {
    label = ownText(node);
  } else {
    for (const auto& child : node.children) collect(child, out);
    return;
  }
  if (!label.empty()) out.push_back(std::move(label));
}

}  // namespace

std::vector<std::string> accessibilityElements(const Element& element) {
  std::vector<std::string> out;
  collect(element, out);
  return out;
}

std::string accessibilityText(const Element& element) {
  std::string text;
  for (const auto& label : accessibilityElements(element)) (text += label) += '\n';
  return text;
}

}  // namespace velto::toolkit
