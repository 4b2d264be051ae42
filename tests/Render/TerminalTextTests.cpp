// Tests of cell widths per grapheme cluster, cutting by cells and the cell measurer.
#include "TerminalText.h"

#include <gtest/gtest.h>

#include "EscapedText.h"

namespace velto::render {
namespace {

using testing_support::escaped;

TEST(TerminalText, CellWidthFollowsEastAsianWidthPerCluster) {
  struct Case {
    std::string text;
    int cells;
  };
  const Case cases[] = {
      {"", 0},
      {"Crane 42%", 9},
      {"用量", 4},                         // wide
      {"ＡＢ", 4},                         // fullwidth
      {"e\u0301", 1},                      // a combining mark joins its base
      {"\u0301", 0},                       // a mark alone
      {"a\u200Bb", 2},                     // zero width space
      {"Corvid · Work", 13},               // ambiguous: narrow
      {"😀", 2},                           // emoji presentation
      {"❤️", 2},                           // text emoji asked for as a picture
      {"❤", 1},
      {"🇨🇳", 2},                          // a flag: two regional indicators
      {"\xFF", 1},                         // invalid UTF-8 reads as U+FFFD
      {"a\tb\r\nc\x1b[1m\x7F\xC2\x85", 6},  // controls dropped: "ab" "c" "[1m"
      {"a\u2028b", 2},                     // line separator dropped
  };
  for (const auto& c : cases) EXPECT_EQ(cellWidth(c.text), c.cells) << escaped(c.text);
}

TEST(TerminalText, ClustersNeverCarryControlsOrInvalidBytes) {
  std::string joined;
  for (const auto& cluster : cellClusters("x\x1b]0;title\x07y\xE4\xB8z")) joined += cluster.text;
  EXPECT_EQ(joined, "x]0;titley\uFFFDz");
}

TEST(TerminalText, CutKeepsWholeClustersAndEndsInAnEllipsisWithinTheCells) {
  struct Case {
    std::string text;
    int cells;
    std::string cut;
  };
  const Case cases[] = {
      {"Crane", 5, "Crane"},
      {"Corvid · Work", 8, "Corvid…"},   // the space before the ellipsis goes
      {"Corvid · Work", 9, "Corvid ·…"},
      {"暂无用量数据", 12, "暂无用量数据"},
      {"暂无用量数据", 11, "暂无用量数…"},
      {"暂无用量数据", 10, "暂无用量…"},  // a wide character never half fits
      {"e\u0301e\u0301e\u0301", 2, "e\u0301…"},
      {"🇨🇳🇨🇳", 3, "🇨🇳…"},
      {"abc", 1, "…"},
      {"abc", 0, ""},
      {"abc", -3, ""},
  };
  for (const auto& c : cases) {
    const auto cut = cutToCells(c.text, c.cells);
    EXPECT_EQ(cut, c.cut) << escaped(c.text) << " in " << c.cells;
    EXPECT_LE(cellWidth(cut), std::max(c.cells, 0)) << escaped(c.text);
  }
}

TEST(TerminalText, MeasurerGivesWholeCellsAndNoHeightToNoText) {
  const CellTextMeasurer measurer({7, 13});
  const toolkit::ResolvedFont caption{.pointSize = 12};
  EXPECT_EQ(measurer.measure("更新于 14:05", caption), (toolkit::Size{12 * 7, 13}));
  EXPECT_EQ(measurer.measure("", caption), (toolkit::Size{0, 0}));
}

}  // namespace
}  // namespace velto::render
