// EntryFormat: one rendered entry in the form the user asked for: texts, accessibility, pictures, terminal,
// status bars.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Element.h"
#include "Layout.h"
#include "MacUsageEntry.h"
#include "Palette.h"
#include "StatusLine.h"
#include "TerminalColors.h"
#include "TextSize.h"
#include "UsageWidgetFamily.h"

namespace velto::app {

enum class Format { text, accessibility, png, svg, ansi, waybar, line };

/// The format of that name ("text", ..., "waybar", "line"); throws std::invalid_argument for any other.
Format formatNamed(std::string_view name);

/// How an entry's tree becomes bytes.
struct EntryStyle {
  Format format = Format::text;
  UsageWidgetFamily family = UsageWidgetFamily::small;
  render::ColorScheme scheme = render::ColorScheme::light;
  int scale = 2;
  bool redacted = false;
  toolkit::TextSize textSize = toolkit::TextSize::large;
  bool chinese = false;
  render::TerminalColors terminalColors = render::TerminalColors::none;
  /// ansi: paint the scheme's background; false: the terminal's own background shows through.
  bool paintBackground = true;
  /// ansi: the columns the output has; a wider widget is replaced by one line that says so.
  std::optional<int> terminalColumns;
  /// waybar (its text) and line.
  render::StatusLineOptions statusLine;
};

/// The tree the entry view draws for `entry` in the style's family, language and text size, with the running
/// program's surroundings (time zone, number locale, agent images).
toolkit::Element entryBody(const MacUsageEntry& entry, const EntryStyle& style);

/// The bytes of `body` (an entry view's tree) in `style`. Text formats end every line with "\n"; waybar and
/// line are one line with its "\n" (i3blocks' colours: three).
std::string formatEntry(const toolkit::Element& body, const EntryStyle& style);

/// The canvas of a widget of `family`.
toolkit::WidgetCanvas canvasFor(UsageWidgetFamily family);

/// True for the formats that are pictures (not for a terminal).
bool isPicture(Format format);

}  // namespace velto::app
