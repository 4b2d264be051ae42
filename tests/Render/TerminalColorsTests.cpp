// Tests of colour detection from the environment and the 256-colour palette.
#include "TerminalColors.h"

#include <gtest/gtest.h>

#include <map>

namespace velto::render {
namespace {

TerminalEnvironment environment(std::map<std::string, std::string> variables) {
  return [variables = std::move(variables)](const char* name) -> std::optional<std::string> {
    const auto found = variables.find(name);
    if (found == variables.end()) return std::nullopt;
    return found->second;
  };
}

TEST(TerminalColors, DetectionHonoursNoColorAndTheOutputBeforeTheTerminalsClaims) {
  struct Case {
    std::map<std::string, std::string> variables;
    bool terminal;
    TerminalColors expected;
  };
  const Case cases[] = {
      {{{"COLORTERM", "truecolor"}, {"TERM", "xterm-256color"}}, true, TerminalColors::trueColor},
      {{{"COLORTERM", "24bit"}}, true, TerminalColors::trueColor},
      {{{"TERM", "xterm-direct"}}, true, TerminalColors::trueColor},
      {{{"TERM", "screen-256color"}, {"COLORTERM", "yes"}}, true, TerminalColors::ansi256},
      {{{"TERM", "xterm"}}, true, TerminalColors::none},
      // Any non-empty NO_COLOR wins, whatever its value.
      {{{"NO_COLOR", "0"}, {"COLORTERM", "truecolor"}}, true, TerminalColors::none},
      // An empty one is as if unset.
      {{{"NO_COLOR", ""}, {"COLORTERM", "truecolor"}}, true, TerminalColors::trueColor},
      // A pipe or a file gets no escape sequences.
      {{{"COLORTERM", "truecolor"}, {"TERM", "xterm-256color"}}, false, TerminalColors::none},
      {{{"COLORTERM", "truecolor"}, {"TERM", "dumb"}}, true, TerminalColors::none},
  };
  for (const auto& c : cases) {
    std::string described;
    for (const auto& [name, value] : c.variables) described += name + "=" + value + " ";
    EXPECT_EQ(detectTerminalColors(environment(c.variables), c.terminal), c.expected)
        << described << (c.terminal ? "(terminal)" : "(not a terminal)");
  }
}

TEST(TerminalColors, SchemeOfTheTerminalFromTheLastFieldOfColorFgBg) {
  const std::pair<const char*, std::optional<ColorScheme>> cases[] = {
      {"15;0", ColorScheme::dark},   {"0;15", ColorScheme::light},  {"0;default;7", ColorScheme::light},
      {"7;8", ColorScheme::dark},    {"0;9", ColorScheme::light},   {"12", ColorScheme::light},
      {"15;default", std::nullopt},  {"0;16", std::nullopt},        {"0;-1", std::nullopt},
      {"0;", std::nullopt},          {"0;1x", std::nullopt},        {"", std::nullopt},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(terminalColorScheme(environment({{"COLORFGBG", value}})), expected) << value;
  }
  EXPECT_EQ(terminalColorScheme(environment({})), std::nullopt);
}

TEST(TerminalColors, NearestPaletteColourComesFromTheCubeOrTheGreyRamp) {
  struct Case {
    Rgb8 color;
    int index;
  };
  const Case cases[] = {
      {{0, 122, 255}, 33},     // the light scheme's blue
      {{255, 149, 0}, 208},    // orange
      {{128, 128, 128}, 244},  // grey ramp: 8 + 10 x 12
      {{28, 28, 30}, 234},     // the dark background
      {{100, 100, 100}, 241},  // 98 on the ramp is nearer than 95 in the cube
  };
  for (const auto& c : cases) {
    EXPECT_EQ(nearestAnsi256(c.color), c.index) << c.color.red << "," << c.color.green << "," << c.color.blue;
  }
}

}  // namespace
}  // namespace velto::render
