// Tests of the cell grid: wide characters overwritten by halves, and the escape sequences of a line.
#include "TerminalGrid.h"

#include <gtest/gtest.h>

namespace velto::render {
namespace {

TEST(TerminalGrid, OverwritingHalfAWideCharacterBlanksItsOtherHalf) {
  TerminalGrid grid(6, 1, {});
  EXPECT_EQ(grid.write(0, 0, "用量", {}, 6), 4);
  EXPECT_EQ(grid.text(TerminalColors::none), "用量  \n");
  grid.put(0, 1, {"x", 1}, {});  // the second half of 用
  EXPECT_EQ(grid.text(TerminalColors::none), " x量  \n");
  grid.put(0, 3, {"中", 2}, {});  // the second half of 量 and the space after it
  EXPECT_EQ(grid.text(TerminalColors::none), " x 中 \n");
  // A wide character that would reach the end, or leave the grid, is left out.
  EXPECT_EQ(grid.write(0, 5, "数", {}, 6), 5);
  grid.put(0, 5, {"据", 2}, {});
  grid.put(0, 0, {"\u0301", 0}, {});
  EXPECT_EQ(grid.text(TerminalColors::none), " x 中 \n");
}

TEST(TerminalGrid, EachChangeOfStyleStartsWithAResetAndEachColouredLineEndsWithOne) {
  const CellStyle plain{Rgb8{255, 255, 255}, Rgb8{28, 28, 30}, false};
  const CellStyle bold{Rgb8{255, 69, 58}, Rgb8{28, 28, 30}, true};
  TerminalGrid grid(4, 2, plain);
  grid.write(0, 1, "ab", bold, 4);
  EXPECT_EQ(grid.text(TerminalColors::trueColor),
            "\x1b[0;38;2;255;255;255;48;2;28;28;30m \x1b[0;1;38;2;255;69;58;48;2;28;28;30mab"
            "\x1b[0;38;2;255;255;255;48;2;28;28;30m \x1b[0m\n"
            "\x1b[0;38;2;255;255;255;48;2;28;28;30m    \x1b[0m\n");
  EXPECT_EQ(grid.text(TerminalColors::ansi256),
            "\x1b[0;38;5;231;48;5;234m \x1b[0;1;38;5;203;48;5;234mab\x1b[0;38;5;231;48;5;234m \x1b[0m\n"
            "\x1b[0;38;5;231;48;5;234m    \x1b[0m\n");
  EXPECT_EQ(grid.text(TerminalColors::none), " ab \n    \n");
}

}  // namespace
}  // namespace velto::render
