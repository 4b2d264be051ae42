// Dump: a deterministic text of a whole element tree, for golden tests and for looking at a view.
#pragma once

#include <string>

#include "Element.h"

namespace velto::toolkit {

/// One line per element, children indented by two spaces: the element's kind and content, then its
/// environment values, layout wrappers (innermost first) and element attributes, each only when set.
/// Example: `Text("42%") font=system(30).semibold.rounded color=red lineLimit=1 frame(maxWidth: infinity)`.
/// Texts are quoted with `"` and `\` escaped and control characters written as \u{XX}; numbers are written
/// in their shortest exact form.
std::string dump(const Element& element);

/// The same for an element's own line, without its children and without a line break.
std::string describe(const Element& element);

}  // namespace velto::toolkit
