// Waybar: one walk over the tree for the summary, the bar and its colour; a small JSON string writer.
#include "Waybar.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <vector>

#include "Accessibility.h"
#include "Layout.h"
#include "Palette.h"
#include "Utf8Text.h"

namespace velto::render {
namespace {

using toolkit::ColorName;

std::string_view nameOf(ColorName name) {
  switch (name) {
    case ColorName::primary: return "primary";
    case ColorName::secondary: return "secondary";
    case ColorName::blue: return "blue";
    case ColorName::green: return "green";
    case ColorName::orange: return "orange";
    case ColorName::red: return "red";
    case ColorName::yellow: return "yellow";
    case ColorName::gray: return "gray";
  }
  return "primary";
}

struct ShownText {
  std::string text;
  double size = 0;
  std::optional<toolkit::Color> color;
};

/// What the walk finds, in tree order.
struct Findings {
  bool picture = false;
  std::optional<std::size_t> name;  ///< index into `texts` of the text after the first picture
  std::vector<ShownText> texts;
  std::optional<toolkit::BarContent> bar;
};

struct Inherited {
  std::optional<toolkit::Font> font;
  std::optional<toolkit::Color> color;
};

double pointSizeOf(const std::optional<toolkit::Font>& font) {
  // Sizes at the default text size: only their order matters here.
  if (!font) return toolkit::pointSize(toolkit::TextStyle::body, toolkit::TextSize::large);
  return font->textStyle ? toolkit::pointSize(*font->textStyle, toolkit::TextSize::large) : font->size;
}

void walk(const toolkit::Element& element, Inherited inherited, Findings& found) {
  const toolkit::Node& node = element.node();
  // The innermost setting wins: the element's own over its ancestors'.
  if (node.environment.font) inherited.font = node.environment.font;
  if (node.environment.foreground) inherited.color = node.environment.foreground;
  if (const auto* text = std::get_if<toolkit::TextContent>(&node.content); text && !text->text.empty()) {
    if (found.picture && !found.name) found.name = found.texts.size();
    found.texts.push_back({text->text, pointSizeOf(inherited.font), inherited.color});
  } else if (std::holds_alternative<toolkit::ImageContent>(node.content)) {
    found.picture = true;
  } else if (const auto* bar = std::get_if<toolkit::BarContent>(&node.content); bar && !found.bar) {
    found.bar = *bar;
  }
  for (const auto& child : node.children) walk(child, inherited, found);
}

std::string markup(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

std::string colorClass(const toolkit::Color& color) {
  if (color.name) return std::string(nameOf(*color.name));
  const Rgba wanted = resolve(color, ColorScheme::light);
  std::string_view best = "primary";
  double bestDistance = std::numeric_limits<double>::infinity();
  // Secondary is left out: it is a translucent grey, and an opaque colour is never it.
  for (const ColorName name : {ColorName::primary, ColorName::blue, ColorName::green, ColorName::orange,
                               ColorName::red, ColorName::yellow, ColorName::gray}) {
    const Rgba candidate = resolve(toolkit::Color::named(name), ColorScheme::light);
    const double dr = candidate.red - wanted.red;
    const double dg = candidate.green - wanted.green;
    const double db = candidate.blue - wanted.blue;
    if (const double distance = dr * dr + dg * dg + db * db; distance < bestDistance) {
      bestDistance = distance;
      best = nameOf(name);
    }
  }
  return std::string(best);
}

std::string jsonString(std::string_view text) {
  const std::string valid = toolkit::validUtf8(text);
  std::string out = "\"";
  constexpr char hex[] = "0123456789abcdef";
  for (const char c : valid) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte < 0x20) {
          ((out += "\\u00") += hex[byte >> 4]) += hex[byte & 0xF];
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string waybarJson(const toolkit::Element& root) {
  Findings found;
  walk(root, {}, found);

  std::string text;
  std::string cssClass;
  if (!found.picture) {
    if (!found.texts.empty()) text = found.texts.front().text;
    cssClass = "unavailable";
  } else {
    std::optional<std::size_t> prominent;
    const std::size_t from = found.name ? *found.name + 1 : 0;
    for (std::size_t i = from; i < found.texts.size(); ++i) {
      if (!prominent || found.texts[i].size > found.texts[*prominent].size) prominent = i;
    }
    if (found.name) text = found.texts[*found.name].text;
    if (prominent) text += (text.empty() ? "" : " ") + found.texts[*prominent].text;
    if (found.bar) {
      cssClass = colorClass(found.bar->fill);
    } else {
      cssClass = prominent && found.texts[*prominent].color ? colorClass(*found.texts[*prominent].color) : "primary";
    }
  }

  std::string tooltip;
  for (const auto& line : toolkit::accessibilityElements(root)) {
    if (!tooltip.empty()) tooltip += '\n';
    tooltip += line;
  }

  std::string json = "{\"text\":" + jsonString(markup(text)) + ",\"tooltip\":" + jsonString(markup(tooltip)) +
                     ",\"class\":" + jsonString(cssClass);
  if (found.bar) {
    const double fraction = found.bar->fraction > 0 ? std::min(found.bar->fraction, 1.0) : 0.0;
    json += ",\"percentage\":" + std::to_string(std::lround(fraction * 100));
  }
  return json + "}";
}

}  // namespace velto::render
