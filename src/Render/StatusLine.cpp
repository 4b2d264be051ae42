// StatusLine: the filled template, wrapped in the escape or markup of the bar that shows it.
#include "StatusLine.h"

namespace velto::render {

std::string hexColor(const toolkit::Color& color, ColorScheme scheme) {
  const Rgb8 shade = composite(resolve(color, scheme), background(scheme));
  constexpr char digits[] = "0123456789abcdef";
  std::string hex = "#";
  for (const int component : {shade.red, shade.green, shade.blue}) {
    (hex += digits[component >> 4]) += digits[component & 0xF];
  }
  return hex;
}

std::string statusLine(const StatusSummary& summary, const StatusLineOptions& options) {
  const std::string text = options.lineTemplate.fill(summary);
  // An old reading without a coloured figure (a balance, recorded output) is dimmed all the same.
  std::optional<toolkit::Color> color = summary.accent;
  if (!color && summary.state == StatusState::stale) color = toolkit::Color::secondary();
  switch (options.colors) {
    case StatusLineColors::none: break;
    case StatusLineColors::ansi256:
    case StatusLineColors::trueColor: {
      if (!color) break;
      const auto mode =
          options.colors == StatusLineColors::ansi256 ? TerminalColors::ansi256 : TerminalColors::trueColor;
      const Rgb8 shade = composite(resolve(*color, options.scheme), background(options.scheme));
      return "\x1b[" + colorParameters(shade, false, mode) + "m" + text + "\x1b[0m\n";
    }
    case StatusLineColors::i3blocks: {
      const std::string figure = summary.percent + summary.balance + summary.output;
      return text + '\n' + (figure.empty() ? text : figure) + '\n' +
             (color ? hexColor(*color, options.scheme) + '\n' : std::string());
    }
    case StatusLineColors::polybar:
      if (!color) break;
      return "%{F" + hexColor(*color, options.scheme) + "}" + text + "%{F-}\n";
  }
  return text + '\n';
}

}  // namespace velto::render
