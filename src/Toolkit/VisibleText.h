// VisibleText: the texts a tree draws, in reading order.
#pragma once

#include <string>
#include <vector>

#include "Element.h"

namespace velto::toolkit {

/// Every text and label title of `element`, in tree order (top to bottom, leading to trailing), whether or
/// not a screen reader sees it; empty texts are left out.
std::vector<std::string> visibleTexts(const Element& element);

}  // namespace velto::toolkit
