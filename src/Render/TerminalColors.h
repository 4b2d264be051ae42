// TerminalColors: which colours a terminal shows, and the escape sequences that select them.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "Palette.h"

namespace velto::render {

/// The colours the terminal output uses: 24-bit, the 256-colour palette, or none (no escape sequence at all).
enum class TerminalColors { none, ansi256, trueColor };

/// Reads one environment variable; nothing when it is unset.
using TerminalEnvironment = std::function<std::optional<std::string>(const char* name)>;

/// The colours to use on an output, from the environment and whether the output is a terminal:
/// 1. none when NO_COLOR is set to a non-empty value (no-color.org), or the output is not a terminal, or
///    TERM is "dumb";
/// 2. trueColor when COLORTERM is "truecolor" or "24bit", or TERM ends in "-direct";
/// 3. ansi256 when TERM contains "256color";
/// 4. none otherwise: a terminal that claims neither may show only 8 colours, and guessing wrong gives
///    unreadable text where no colour gives plain text.
TerminalColors detectTerminalColors(const TerminalEnvironment& environment, bool outputIsTerminal);

/// The scheme of the terminal's own background, from COLORFGBG ("15;0", "0;default;15": the last field is the
/// background's colour number): 0 to 6 and 8 are dark, 7 and 9 to 15 light; nothing when it is unset or names
/// no colour (as many terminals, which do not set it).
std::optional<ColorScheme> terminalColorScheme(const TerminalEnvironment& environment);

/// An opaque 8-bit sRGB colour.
struct Rgb8 {
  int red = 0;
  int green = 0;
  int blue = 0;
  friend bool operator==(const Rgb8&, const Rgb8&) = default;
};

/// `color` painted over the opaque `under` (alpha compositing), in 8-bit components.
Rgb8 composite(const Rgba& color, const Rgba& under);

/// The index (16...255) of the xterm palette colour nearest to `color`: the 6 x 6 x 6 cube or the grey ramp,
/// whichever is closer. The first 16 are left out because terminals redefine them.
int nearestAnsi256(Rgb8 color);

/// The SGR parameters that select `color` as foreground (or background) in `mode`, such as "38;2;0;122;255"
/// or "48;5;33"; empty for `none`.
std::string colorParameters(Rgb8 color, bool background, TerminalColors mode);

}  // namespace velto::render
