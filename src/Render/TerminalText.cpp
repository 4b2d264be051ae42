// TerminalText: grapheme clusters (ICU) and their cell widths, cutting by cells.
#include "TerminalText.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>

#include "Utf8Text.h"

namespace velto::render {
namespace {

constexpr std::string_view ellipsis = "…";  // one cell: East Asian ambiguous, narrow outside CJK locales

bool zeroWidth(UChar32 c) {
  const auto category = u_charType(c);
  return category == U_NON_SPACING_MARK || category == U_ENCLOSING_MARK || category == U_FORMAT_CHAR;
}

bool wide(UChar32 c) {
  const auto width = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
  return width == U_EA_WIDE || width == U_EA_FULLWIDTH || u_hasBinaryProperty(c, UCHAR_EMOJI_PRESENTATION);
}

/// Cells of one cluster of valid UTF-8; -1 when it is dropped.
int clusterCells(std::string_view cluster) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(cluster.data());
  const auto length = static_cast<int32_t>(cluster.size());
  UChar32 first = 0;
  int32_t afterFirst = 0;
  U8_NEXT(bytes, afterFirst, length, first);
  // Controls move the cursor or start escape sequences; line and paragraph separators end lines.
  if (toolkit::isControlOrSeparator(first)) return -1;
  bool allZero = true;
  bool anyWide = false;
  bool emojiStyle = false;
  int regionalIndicators = 0;
  for (int32_t i = 0; i < length;) {
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    allZero = allZero && zeroWidth(c);
    anyWide = anyWide || wide(c);
    // VARIATION SELECTOR-16 asks for the picture form of a character that is text by default ("❤️").
    emojiStyle = emojiStyle || (c == 0xFE0F && u_hasBinaryProperty(first, UCHAR_EMOJI));
    regionalIndicators += u_hasBinaryProperty(c, UCHAR_REGIONAL_INDICATOR) ? 1 : 0;
  }
  if (allZero) return 0;
  return anyWide || emojiStyle || regionalIndicators >= 2 ? 2 : 1;
}

std::string joined(const std::vector<CellCluster>& clusters, std::size_t begin, std::size_t end) {
  std::string text;
  for (std::size_t i = begin; i < end; ++i) text += clusters[i].text;
  return text;
}

int cellsOf(const std::vector<CellCluster>& clusters, std::size_t begin, std::size_t end) {
  int cells = 0;
  for (std::size_t i = begin; i < end; ++i) cells += clusters[i].cells;
  return cells;
}

/// Clusters [begin, end) cut to `cells` with the ellipsis.
std::string cut(const std::vector<CellCluster>& clusters, std::size_t begin, std::size_t end, int cells) {
  if (cells <= 0) return {};
  if (cellsOf(clusters, begin, end) <= cells) return joined(clusters, begin, end);
  std::size_t kept = begin;
  int used = 0;
  while (kept < end && used + clusters[kept].cells <= cells - 1) used += clusters[kept++].cells;
  while (kept > begin && clusters[kept - 1].text == " ") --kept;
  return joined(clusters, begin, kept) + std::string(ellipsis);
}

}  // namespace

std::vector<CellCluster> cellClusters(std::string_view text) {
  std::vector<CellCluster> clusters;
  if (toolkit::isAscii(text)) {
    // Every printable ASCII character is a cluster of one cell ("\r\n" is one cluster, but both are dropped).
    for (const char c : text) {
      if (c >= 0x20 && c != 0x7F) clusters.push_back({std::string(1, c), 1});
    }
    return clusters;
  }
  // Invalid sequences become U+FFFD first, so every cluster below is valid UTF-8.
  const std::string valid = toolkit::validUtf8(text);
  const toolkit::Utf8Breaks breaks(toolkit::Utf8Breaks::Kind::character, valid);
  auto start = static_cast<std::size_t>(breaks->first());
  for (int32_t end = breaks->next(); end != icu::BreakIterator::DONE; end = breaks->next()) {
    const std::string_view cluster = std::string_view(valid).substr(start, static_cast<std::size_t>(end) - start);
    start = static_cast<std::size_t>(end);
    const int cells = clusterCells(cluster);
    if (cells >= 0) clusters.push_back({std::string(cluster), cells});
  }
  return clusters;
}

int cellWidth(std::string_view text) {
  const auto clusters = cellClusters(text);
  return cellsOf(clusters, 0, clusters.size());
}

std::string cutToCells(std::string_view text, int cells) {
  const auto clusters = cellClusters(text);
  return cut(clusters, 0, clusters.size(), cells);
}

toolkit::Size CellTextMeasurer::measure(std::string_view text, const toolkit::ResolvedFont&) const {
  if (text.empty()) return {0, 0};
  return {cellWidth(text) * cell_.width, cell_.height};
}

}  // namespace velto::render
