// EntryFormat: the one place that knows every output form of an entry.
#include "EntryFormat.h"

#include <stdexcept>

#include "Accessibility.h"
#include "Layout.h"
#include "MacUsageEntryView.h"
#include "PictureFormat.h"
#include "Terminal.h"
#include "VisibleText.h"
#include "Waybar.h"

namespace velto::app {
namespace {

std::string lines(const std::vector<std::string>& texts) {
  std::string joined;
  for (const auto& text : texts) joined += text + '\n';
  return joined;
}

}  // namespace

toolkit::WidgetCanvas canvasFor(UsageWidgetFamily family) {
  switch (family) {
    case UsageWidgetFamily::medium: return toolkit::WidgetCanvas::medium();
    case UsageWidgetFamily::large:
    case UsageWidgetFamily::extraLarge: return toolkit::WidgetCanvas::large();
    case UsageWidgetFamily::small: break;
  }
  return toolkit::WidgetCanvas::small();
}

Format formatNamed(std::string_view name) {
  if (name == "text") return Format::text;
  if (name == "accessibility") return Format::accessibility;
  if (name == "png") return Format::png;
  if (name == "svg") return Format::svg;
  if (name == "ansi") return Format::ansi;
  if (name == "waybar") return Format::waybar;
  throw std::invalid_argument("unknown format \"" + std::string(name) + "\"");
}

toolkit::Element entryBody(const MacUsageEntry& entry, const EntryStyle& style) {
  return MacUsageEntryView{.entry = entry,
                           .family = style.family,
                           .chinese = style.chinese,
                           .textSize = style.textSize,
                           .environment = UsageWidgetContentEnvironment::current()}
      .body();
}

bool isPicture(Format format) { return format == Format::png || format == Format::svg; }

std::string formatEntry(const toolkit::Element& body, const EntryStyle& style) {
  switch (style.format) {
    case Format::text: return lines(toolkit::visibleTexts(body));
    case Format::accessibility: return toolkit::accessibilityText(body);
    case Format::waybar: return render::waybarJson(body) + '\n';
    case Format::ansi:
      return render::renderTerminal(body, {.canvas = canvasFor(style.family),
                                           .scheme = style.scheme,
                                           .colors = style.terminalColors,
                                           .textSize = style.textSize,
                                           .redacted = style.redacted});
    case Format::png:
    case Format::svg: return formatPicture(body, style);
  }
  return {};
}

}  // namespace velto::app
