// TerminalText: grapheme clusters (ICU) and their cell widths, cutting by cells.
#include "TerminalText.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <limits>
#include <memory>
#include <stdexcept>

namespace velto::render {
namespace {

constexpr std::string_view ellipsis = "…";  // one cell: East Asian ambiguous, narrow outside CJK locales

/// A private character break iterator, cloned from one built once: building one from the rules is ten times
/// slower than cloning, and cloning a const iterator is safe from several threads.
std::unique_ptr<icu::BreakIterator> characterBreaks() {
  static const std::unique_ptr<const icu::BreakIterator> prototype = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<const icu::BreakIterator> made(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !made) {
      throw std::runtime_error(std::string("ICU character break rules unavailable: ") + u_errorName(status));
    }
    return made;
  }();
  std::unique_ptr<icu::BreakIterator> copy(prototype->clone());
  if (!copy) throw std::runtime_error("cannot copy the ICU character break iterator");
  return copy;
}

bool isAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

bool dropped(UChar32 c) {
  const auto category = u_charType(c);
  // Controls move the cursor or start escape sequences; line and paragraph separators end lines.
  return category == U_CONTROL_CHAR || category == U_LINE_SEPARATOR || category == U_PARAGRAPH_SEPARATOR;
}

bool zeroWidth(UChar32 c) {
  const auto category = u_charType(c);
  return category == U_NON_SPACING_MARK || category == U_ENCLOSING_MARK || category == U_FORMAT_CHAR;
}

bool wide(UChar32 c) {
  const auto width = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
  return width == U_EA_WIDE || width == U_EA_FULLWIDTH || u_hasBinaryProperty(c, UCHAR_EMOJI_PRESENTATION);
}

/// Cells of one cluster (UTF-16); -1 when it is dropped.
int clusterCells(const icu::UnicodeString& cluster) {
  const UChar32 first = cluster.char32At(0);
  if (dropped(first)) return -1;
  bool allZero = true;
  bool anyWide = false;
  bool emojiStyle = false;
  int regionalIndicators = 0;
  for (int32_t i = 0; i < cluster.length(); i = cluster.moveIndex32(i, 1)) {
    const UChar32 c = cluster.char32At(i);
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
  if (isAscii(text)) {
    // Every printable ASCII character is a cluster of one cell ("\r\n" is one cluster, but both are dropped).
    for (const char c : text) {
      if (c >= 0x20 && c != 0x7F) clusters.push_back({std::string(1, c), 1});
    }
    return clusters;
  }
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
    throw std::length_error("text too long for ICU");
  }
  // Invalid sequences become U+FFFD here, so every cluster below is valid UTF-8.
  const auto utf16 = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  auto breaks = characterBreaks();
  breaks->setText(utf16);
  int32_t start = breaks->first();
  for (int32_t end = breaks->next(); end != icu::BreakIterator::DONE; start = end, end = breaks->next()) {
    const icu::UnicodeString cluster(utf16, start, end - start);
    const int cells = clusterCells(cluster);
    if (cells < 0) continue;
    CellCluster item{{}, cells};
    cluster.toUTF8String(item.text);
    clusters.push_back(std::move(item));
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
