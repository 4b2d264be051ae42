// StatusLine: an entry as one line for a status bar (i3blocks, polybar, xmobar, tmux), in its colour convention.
#pragma once

#include <string>

#include "Palette.h"
#include "StatusSummary.h"
#include "StatusTemplate.h"
#include "TerminalColors.h"

namespace velto::render {

/// How the line carries the entry's colour.
enum class StatusLineColors {
  none,       ///< the line alone
  ansi256,    ///< the line in the nearest xterm 256-palette colour (a terminal, a tmux pane)
  trueColor,  ///< the line in 24-bit colour
  i3blocks,   ///< i3blocks' three lines: full text, short text (the figure alone), colour "#rrggbb"
  polybar,    ///< the line inside polybar's "%{F#rrggbb}" ... "%{F-}"
};

/// How the line is made.
struct StatusLineOptions {
  StatusTemplate lineTemplate;
  StatusLineColors colors = StatusLineColors::none;
  ColorScheme scheme = ColorScheme::dark;  ///< the bar's background, for the shade of each colour
};

/// `summary` as the line `options` asks for, ended by "\n". The colour is the entry's accent (its figure's),
/// else the secondary colour for a stale entry, in the scheme over its background; an entry with neither (the
/// empty state, a fresh balance) is left in the bar's own colour.
std::string statusLine(const StatusSummary& summary, const StatusLineOptions& options);

/// `color` painted over the background of `scheme`, as "#rrggbb".
std::string hexColor(const toolkit::Color& color, ColorScheme scheme);

}  // namespace velto::render
