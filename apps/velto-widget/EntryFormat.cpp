// EntryFormat: the one place that knows every output form of an entry.
#include "EntryFormat.h"

#include <stdexcept>

#include "Accessibility.h"
#include "Layout.h"
#include "MacUsageEntryView.h"
#include "PictureFormat.h"
#include "StatusSummary.h"
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

// A box cut by the terminal's edge wraps into a jumble; one line that says why reads better.
std::string narrowTerminal(int needed, int columns, bool chinese) {
  const auto widget = std::to_string(needed);
  const auto terminal = std::to_string(columns);
  return chinese
             ? "小组件需要 " + widget + " 列，此终端只有 " + terminal + " 列。可试 --family small 或 --format line。\n"
             : "The widget needs " + widget + " columns; this terminal has " + terminal +
                   ". Try --family small or --format line.\n";
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
  if (name == "line") return Format::line;
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
    case Format::waybar: return render::waybarJson(render::readStatus(body), style.statusLine.lineTemplate) + '\n';
    case Format::line: return render::statusLine(render::readStatus(body), style.statusLine);
    case Format::ansi: {
      const render::TerminalOptions options{.canvas = canvasFor(style.family),
                                            .scheme = style.scheme,
                                            .colors = style.terminalColors,
                                            .textSize = style.textSize,
                                            .redacted = style.redacted,
                                            .background = style.paintBackground};
      const int needed = render::terminalSize(options).columns;
      if (style.terminalColumns && *style.terminalColumns < needed) return narrowTerminal(needed, *style.terminalColumns, style.chinese);
      return render::renderTerminal(body, options);
    }
    case Format::png:
    case Format::svg: return formatPicture(body, style);
  }
  return {};
}

}  // namespace velto::app
