// Dump: every attribute of every element, in one fixed order, so that equal trees give equal texts.
#include "Dump.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace velto::toolkit {
namespace {

std::string number(double value) {
  if (std::isinf(value)) return value > 0 ? "infinity" : "-infinity";
  if (std::isnan(value)) return "nan";
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), result.ptr);
}

std::string quote(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u{%02X}", static_cast<unsigned>(byte));
      out += escape;
    } else {
      out += c;
    }
  }
  return out + '"';
}

constexpr std::string_view name(HorizontalAlignment a) {
  constexpr std::array<std::string_view, 3> names{"leading", "center", "trailing"};
  return names[static_cast<std::size_t>(a)];
}
constexpr std::string_view name(VerticalAlignment a) {
  constexpr std::array<std::string_view, 3> names{"top", "center", "bottom"};
  return names[static_cast<std::size_t>(a)];
}
std::string name(Alignment a) {
  if (a.vertical == VerticalAlignment::center) return std::string(name(a.horizontal));
  if (a.horizontal == HorizontalAlignment::center) return std::string(name(a.vertical));
  std::string horizontal(name(a.horizontal));
  horizontal[0] = static_cast<char>(horizontal[0] - 'a' + 'A');
  return std::string(name(a.vertical)) + horizontal;
}

std::string name(const Font& font) {
  constexpr std::array<std::string_view, 11> styles{"largeTitle", "title",    "title2",   "title3",
                                                    "headline",   "subheadline", "body", "callout",
                                                    "footnote",   "caption",  "caption2"};
  constexpr std::array<std::string_view, 9> weights{"ultraLight", "thin", "light",  "regular", "medium",
                                                    "semibold",   "bold", "heavy",  "black"};
  constexpr std::array<std::string_view, 4> designs{"standard", "rounded", "serif", "monospaced"};
  std::string out = font.textStyle ? std::string(styles[static_cast<std::size_t>(*font.textStyle)])
                                   : "system(" + number(font.size) + ")";
  if (font.fontWeight) (out += '.') += weights[static_cast<std::size_t>(*font.fontWeight)];
  if (font.fontDesign != FontDesign::standard) (out += '.') += designs[static_cast<std::size_t>(font.fontDesign)];
  return out;
}

std::string name(const Color& color) {
  constexpr std::array<std::string_view, 8> names{"primary", "secondary", "blue",   "green",
                                                  "orange",  "red",       "yellow", "gray"};
  std::string out = color.name ? std::string(names[static_cast<std::size_t>(*color.name)])
                               : "srgb(" + number(color.red) + ", " + number(color.green) + ", " +
                                     number(color.blue) + ")";
  if (color.alpha != 1) out += "@" + number(color.alpha);
  return out;
}

std::string name(const ImageSource& source) {
  switch (source.kind) {
    case ImageSource::Kind::bundleFile: return "file " + quote(source.location.string());
    case ImageSource::Kind::bundleResource:
      return "resource " + quote(source.name) + " in " + quote(source.location.string());
    case ImageSource::Kind::systemSymbol: return "symbol " + quote(source.name);
  }
  return {};
}

std::string spacing(const std::optional<double>& value) {
  return value ? ", spacing: " + number(*value) : std::string();
}

struct ContentText {
  std::string operator()(const EmptyContent&) const { return "Empty"; }
  std::string operator()(const VStackContent& c) const {
    return "VStack(" + std::string(name(c.alignment)) + spacing(c.spacing) + ")";
  }
  std::string operator()(const HStackContent& c) const {
    return "HStack(" + std::string(name(c.alignment)) + spacing(c.spacing) + ")";
  }
  std::string operator()(const TextContent& c) const { return "Text(" + quote(c.text) + ")"; }
  std::string operator()(const LabelContent& c) const {
    return "Label(" + quote(c.title) + ", symbol: " + quote(c.symbol) + ")";
  }
  std::string operator()(const ImageContent& c) const {
    return "Image(" + name(c.source) + ")" + (c.resizable ? " resizable" : "");
  }
  std::string operator()(const SpacerContent& c) const {
    return c.minLength ? "Spacer(minLength: " + number(*c.minLength) + ")" : "Spacer";
  }
  std::string operator()(const BarContent& c) const {
    return "Bar(fraction: " + number(c.fraction) + ", track: " + name(c.track) + ", fill: " + name(c.fill) + ")";
  }
};

struct LayoutText {
  std::string operator()(const Padding& p) const { return "padding(" + number(p.length) + ")"; }
  std::string operator()(const AspectRatioFit&) const { return "scaledToFit"; }
  std::string operator()(const FrameSpec& f) const {
    std::string out;
    const auto add = [&](std::string_view label, const std::optional<double>& value) {
      if (value) out += (out.empty() ? "" : ", ") + std::string(label) + ": " + number(*value);
    };
    add("width", f.width);
    add("height", f.height);
    add("minWidth", f.minWidth);
    add("maxWidth", f.maxWidth);
    add("minHeight", f.minHeight);
    add("maxHeight", f.maxHeight);
    if (f.alignment != Alignment::center) out += (out.empty() ? "" : ", ") + ("alignment: " + name(f.alignment));
    return "frame(" + out + ")";
  }
};

void appendLines(const Element& element, int depth, std::string& out) {
  out.append(static_cast<std::size_t>(depth) * 2, ' ');
  out += describe(element);
  out += '\n';
  for (const auto& child : element.children()) appendLines(child, depth + 1, out);
}

}  // namespace

std::string describe(const Element& element) {
  const Node& node = element.node();
  std::string out = std::visit(ContentText{}, node.content);
  const auto add = [&](const std::string& attribute) { (out += ' ') += attribute; };

  const Environment& env = node.environment;
  if (env.font) add("font=" + name(*env.font));
  if (env.foreground) add("color=" + name(*env.foreground));
  if (env.lineLimit) add("lineLimit=" + std::to_string(*env.lineLimit));
  if (env.minimumScaleFactor) add("minimumScaleFactor=" + number(*env.minimumScaleFactor));
  if (env.monospacedDigit) add("monospacedDigit");
  if (env.textSizeRange) {
    add("textSize=" + std::string(name(env.textSizeRange->lower)) + "..." +
        std::string(name(env.textSizeRange->upper)));
  }
  for (const auto& modifier : node.layout) add(std::visit(LayoutText{}, modifier));

  const Traits& traits = node.traits;
  if (traits.accessibilityChildren) {
    constexpr std::array<std::string_view, 3> kinds{"combine", "ignore", "contain"};
    add("accessibility(" + std::string(kinds[static_cast<std::size_t>(*traits.accessibilityChildren)]) + ")");
  }
  if (traits.accessibilityLabel) add("accessibilityLabel=" + quote(*traits.accessibilityLabel));
  if (traits.accessibilityHidden) add("accessibilityHidden");
  if (traits.identity) add("id=" + quote(*traits.identity));
  if (traits.url) add("url=" + quote(*traits.url));
  if (traits.privacySensitive) add("privacySensitive");
  if (traits.containerBackground) add("containerBackground");
  return out;
}

std::string dump(const Element& element) {
  std::string out;
  appendLines(element, 0, out);
  return out;
}

}  // namespace velto::toolkit
