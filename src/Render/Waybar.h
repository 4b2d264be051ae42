// Waybar: one widget entry as the JSON line of a status bar's custom module.
#pragma once

#include <string>
#include <string_view>

#include "Color.h"
#include "Element.h"

namespace velto::render {

/// The entry as one JSON object for waybar's custom module ("return-type": "json"), read from the tree alone:
/// - "text": the account's name (the first text after the first picture, which is the agent mark beside
///   it) and the tree's most prominent text (the largest font after that name, the first of equal ones),
///   such as "Crane 42%"; for a tree without a picture (the empty state) its first text;
/// - "tooltip": the accessibility elements, one per line;
/// - "class": the colour name of the first bar's fill ("blue", "orange", "red", "secondary"), else of the
///   prominent text ("primary" when it has none); "unavailable" for the empty state;
/// - "percentage": the first bar's fraction x 100, rounded; left out when there is no bar.
/// Text and tooltip are Pango markup with "&", "<" and ">" escaped, so the module's own "escape" option
/// should stay off. The object is on one line, without a line break after it.
std::string waybarJson(const toolkit::Element& root);

/// The name a status bar's style sheet knows a colour by: a named colour's own name ("blue"), an sRGB
/// colour's nearest named colour in the light scheme (the widget's calm sRGB blue is "blue").
std::string colorClass(const toolkit::Color& color);

/// `text` as a JSON string with its quotes: '"', '\' and control characters escaped, invalid UTF-8 replaced
/// by U+FFFD.
std::string jsonString(std::string_view text);

}  // namespace velto::render
