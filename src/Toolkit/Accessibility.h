// Accessibility: the elements a screen reader finds in a tree, in reading order.
#pragma once

#include <string>
#include <vector>

#include "Element.h"

namespace velto::toolkit {

/// The labels of the accessibility elements of `element`, in reading order (tree order: top to bottom,
/// leading to trailing). A hidden element and its subtree say nothing. An element grouped with `combine`
/// is one element whose label is its own label or else its children's labels joined by ", "; one grouped
/// with `ignore` is one element with its own label only. A text reads its text, a label its title; an
/// image, a spacer, a bar and a stack read nothing by themselves. A label given to any other element
/// replaces what it would read. Elements with an empty label are left out.
std::vector<std::string> accessibilityElements(const Element& element);

/// The same as text, one label per line, each line ended by a line break.
std::string accessibilityText(const Element& element);

}  // namespace velto::toolkit
