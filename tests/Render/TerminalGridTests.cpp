// Tests of the cell grid: wide characters overwritten by halves.
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

}  // namespace
}  // namespace velto::render
