// TerminalColors: colour detection from the environment, compositing and the xterm 256-colour palette.
#include "TerminalColors.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace velto::render {
namespace {

// The levels of the xterm 6 x 6 x 6 colour cube (indices 16...231).
constexpr std::array<int, 6> cubeLevels{0, 95, 135, 175, 215, 255};

int nearestCubeStep(int component) {
  int best = 0;
  for (int i = 1; i < 6; ++i) {
    if (std::abs(cubeLevels[static_cast<std::size_t>(i)] - component) <
        std::abs(cubeLevels[static_cast<std::size_t>(best)] - component)) {
      best = i;
    }
  }
  return best;
}

int distance(Rgb8 a, Rgb8 b) {
  const int dr = a.red - b.red;
  const int dg = a.green - b.green;
  const int db = a.blue - b.blue;
  return dr * dr + dg * dg + db * db;
}

int byte(double unit) {
  const double clamped = !(unit > 0) ? 0 : (unit > 1 ? 1 : unit);  // NaN as 0
  return static_cast<int>(std::lround(clamped * 255));
}

}  // namespace

TerminalColors detectTerminalColors(const TerminalEnvironment& environment, bool outputIsTerminal) {
  const auto noColor = environment("NO_COLOR");
  if ((noColor && !noColor->empty()) || !outputIsTerminal) return TerminalColors::none;
  const std::string term = environment("TERM").value_or("");
  if (term == "dumb") return TerminalColors::none;
  const std::string colorTerm = environment("COLORTERM").value_or("");
  const std::string_view direct = "-direct";
  if (colorTerm == "truecolor" || colorTerm == "24bit" ||
      (term.size() > direct.size() && term.compare(term.size() - direct.size(), direct.size(), direct) == 0)) {
    return TerminalColors::trueColor;
  }
  if (term.find("256color") != std::string::npos) return TerminalColors::ansi256;
  return TerminalColors::none;
}

std::optional<ColorScheme> terminalColorScheme(const TerminalEnvironment& environment) {
  const std::string value = environment("COLORFGBG").value_or("");
  const std::string last = value.substr(value.rfind(';') + 1);  // the whole value without a ';'
  int number = 0;
  const auto [end, error] = std::from_chars(last.data(), last.data() + last.size(), number);
  if (last.empty() || error != std::errc() || end != last.data() + last.size() || number < 0 || number > 15) {
    return std::nullopt;
  }
  return number == 7 || number >= 9 ? ColorScheme::light : ColorScheme::dark;
}

Rgb8 composite(const Rgba& color, const Rgba& under) {
  const double a = color.alpha < 0 ? 0 : (color.alpha > 1 ? 1 : color.alpha);
  return {byte(color.red * a + under.red * (1 - a)), byte(color.green * a + under.green * (1 - a)),
          byte(color.blue * a + under.blue * (1 - a))};
}

int nearestAnsi256(Rgb8 color) {
  const int r = nearestCubeStep(color.red);
  const int g = nearestCubeStep(color.green);
  const int b = nearestCubeStep(color.blue);
  const Rgb8 cube{cubeLevels[static_cast<std::size_t>(r)], cubeLevels[static_cast<std::size_t>(g)],
                  cubeLevels[static_cast<std::size_t>(b)]};
  // The grey ramp 232...255 runs from 8 to 238 in steps of 10.
  const int average = (color.red + color.green + color.blue) / 3;
  const int step = average < 8 ? 0 : (average > 238 ? 23 : (average - 8 + 5) / 10);
  const int level = 8 + 10 * step;
  const Rgb8 grey{level, level, level};
  return distance(color, grey) < distance(color, cube) ? 232 + step : 16 + 36 * r + 6 * g + b;
}

std::string colorParameters(Rgb8 color, bool background, TerminalColors mode) {
  const std::string lead = background ? "48" : "38";
  switch (mode) {
    case TerminalColors::none: return {};
    case TerminalColors::ansi256: return lead + ";5;" + std::to_string(nearestAnsi256(color));
    case TerminalColors::trueColor:
      return lead + ";2;" + std::to_string(color.red) + ";" + std::to_string(color.green) + ";" +
             std::to_string(color.blue);
  }
  return {};
}

}  // namespace velto::render
