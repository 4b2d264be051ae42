// TextRules: cleaning of stored texts and the patterns, as fast byte-level matchers.
#include "TextRules.h"

#include "UnicodeText.h"
#include "Utf8Text.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace velto {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

using toolkit::isAscii;

/// U+0020 to U+007E, in one comparison: every ASCII byte but the controls.
bool isPrintableAscii(uint8_t byte) { return static_cast<uint8_t>(byte - 0x20) < 0x5F; }

/// Cc and Cf: the scalars that cleaning removes wherever they are.
constexpr uint32_t removedCategories = U_GC_CC_MASK | U_GC_CF_MASK;
/// Zs, Zl and Zp: trimmed at both ends.
constexpr uint32_t trimmedCategories = U_GC_ZS_MASK | U_GC_ZL_MASK | U_GC_ZP_MASK;

/// Whether cleaning removes `c`. In ASCII, the controls (no ASCII scalar is Cf), answered without ICU because
/// most scalars of a mixed-script text are ASCII.
bool isRemoved(UChar32 c) {
  if (c < 0x80) return !isPrintableAscii(static_cast<uint8_t>(c));
  return (U_GET_GC_MASK(c) & removedCategories) != 0;
}

/// Whether trimming removes `c`; in ASCII, the space alone. Tab, the other ASCII breaks and U+0085 are
/// controls and are already gone by the time trimming looks.
bool isTrimmed(UChar32 c) {
  if (c < 0x80) return c == ' ';
  return (U_GET_GC_MASK(c) & trimmedCategories) != 0;
}

/// An upper bound on the clusters of a text without a break iterator, fed one scalar at a time: by the grapheme
/// rules no cluster starts at an Extend, ZWJ or SpacingMark scalar, nor at the second regional indicator of a
/// pair, except at the start of the text or after a Control (U+2028 and U+2029 are Controls and may stand
/// inside a clean text).
class ClusterBound {
 public:
  void add(UChar32 c) { addKind(kindOf(c)); }
  /// The grapheme cluster break property of `c`.
  static int32_t kindOf(UChar32 c) {
    // Below U+0300 every scalar that is not a control has the property Other.
    return c < 0x300 ? (c < 0x20 || (c >= 0x7F && c < 0xA0) ? U_GCB_CONTROL : U_GCB_OTHER)
                     : u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK);
  }
  /// A scalar whose grapheme cluster break property is `kind`.
  void addKind(int32_t kind) {
    const bool joins = kind == U_GCB_EXTEND || kind == U_GCB_ZWJ || kind == U_GCB_SPACING_MARK;
    const bool closesPair = kind == U_GCB_REGIONAL_INDICATOR && openPair_;
    openPair_ = kind == U_GCB_REGIONAL_INDICATOR && !closesPair;
    if (afterControl_ || (!joins && !closesPair)) ++starts_;
    afterControl_ = kind == U_GCB_CONTROL || kind == U_GCB_CR || kind == U_GCB_LF;
  }
  /// `count` scalars of the property Other, such as printable ASCII: each starts a cluster.
  void addOthers(std::size_t count) {
    starts_ += count;
    afterControl_ = false;
    openPair_ = false;
  }
  std::size_t count() const { return starts_; }

 private:
  std::size_t starts_ = 0;
  bool afterControl_ = true;
  bool openPair_ = false;  // the previous scalar is a regional indicator that opens a flag
};

/// What isClean asks of a scalar past ASCII: its general category (as a mask) and its grapheme cluster break
/// property. A text repeats its scalars (one script's letters and marks), so each thread keeps the answers for
/// recent ones in a direct-mapped cache of 256 and asks ICU once for most.
struct ScalarProperties {
  uint32_t categories;
  int32_t clusterBreak;
};
ScalarProperties propertiesOf(UChar32 c) {
  struct Entry {
    UChar32 scalar;  // 0, which is ASCII and never asked for, marks an empty entry
    ScalarProperties properties;
  };
  thread_local std::array<Entry, 256> cache{};
  Entry& entry = cache[static_cast<uint32_t>(c) & 0xFF];
  if (entry.scalar != c) entry = {c, {U_GET_GC_MASK(c), ClusterBound::kindOf(c)}};
  return entry.properties;
}

/// In ASCII every byte left after removing controls is one cluster and the space is the only white space.
std::string cleanAscii(std::string_view text, std::size_t limit) {
  std::string kept;
  kept.reserve(text.size());
  for (char c : text) {
    if (isPrintableAscii(static_cast<uint8_t>(c))) kept.push_back(c);
  }
  const std::size_t first = kept.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const std::size_t last = kept.find_last_not_of(' ');
  std::string cut = kept.substr(first, std::min(last + 1 - first, limit));
  cut.erase(cut.find_last_not_of(' ') + 1);  // a cut just after a space
  return cut;
}

/// Removes the white space and line breaks at the end of a cleaned text, which holds only valid UTF-8.
void trimEnd(std::string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto isContinuation = [&](std::size_t at) { return (bytes[at] & 0xC0) == 0x80; };
  std::size_t end = text.size();
  while (end > 0) {
    std::size_t start = end - 1;
    while (start > 0 && isContinuation(start)) --start;
    auto next = static_cast<int32_t>(start);
    UChar32 c = 0;
    U8_NEXT(bytes, next, static_cast<int32_t>(end), c);
    if (!isTrimmed(c)) break;
    end = start;
  }
  text.resize(end);
}

/// The text of an ICU regex match body: everything before one final line terminator, if there is one.
/// These are the terminators that ICU's `$` (without MULTILINE) steps over: \n, \v, \f, \r, "\r\n" as one,
/// U+0085, U+2028 and U+2029. None of them can be part of a body, so one strip is enough.
std::string_view withoutFinalLineTerminator(std::string_view text) {
  const auto endsWith = [&](std::string_view suffix) { return text.ends_with(suffix); };
  if (endsWith("\r\n")) return text.substr(0, text.size() - 2);
  if (endsWith("\xE2\x80\xA8") || endsWith("\xE2\x80\xA9")) return text.substr(0, text.size() - 3);
  if (endsWith("\xC2\x85")) return text.substr(0, text.size() - 2);
  if (!text.empty() && text.back() >= '\n' && text.back() <= '\r') return text.substr(0, text.size() - 1);
  return text;
}

/// Searches the way ICU's `find()` does for a pattern "^body$" whose body matches no line terminator:
/// the whole text, or (where `$` may match before one) the text without its final terminator, must be a body.
template <typename Body>
bool findAnchored(std::string_view text, PatternEnd end, Body body) {
  if (body(text)) return true;
  if (end == PatternEnd::atEnd) return false;
  const std::string_view stripped = withoutFinalLineTerminator(text);
  return stripped.size() != text.size() && body(stripped);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isKeyCharacter(char c) { return (c >= 'a' && c <= 'z') || isDigit(c) || c == '_' || c == '-'; }

/// The length of the run of digits at the start of `text`.
std::size_t digitRun(std::string_view text) {
  const auto end = std::find_if_not(text.begin(), text.end(), isDigit);
  return static_cast<std::size_t>(end - text.begin());
}

}  // namespace

std::string clean(std::string_view text, std::size_t limit) {
  // Most texts are clean already, and a check reads faster than cleaning writes.
  if (isClean(text, limit)) return std::string(text);
  if (isAscii(text)) return cleanAscii(text, limit);
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
    throw std::length_error("text too long to clean");
  }
  const auto length = static_cast<int32_t>(text.size());
  const auto* bytesIn = reinterpret_cast<const uint8_t*>(text.data());
  std::string kept;
  kept.reserve(text.size());
  std::size_t contentEnd = 0;  // end of the last scalar that is not trimmed
  ClusterBound clusters;
  std::size_t clustersAtContentEnd = 0;
  for (int32_t i = 0; i < length;) {
    const int32_t start = i;
    UChar32 c = 0;
    U8_NEXT(bytesIn, i, length, c);
    // U8_NEXT steps over the maximal invalid subpart, exactly what ICU's own conversions replace by one U+FFFD.
    const std::string_view bytes =
        c < 0 ? kReplacementCharacter
              : text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(i - start));
    if (c >= 0 && isRemoved(c)) continue;
    const bool trimmed = c >= 0 && isTrimmed(c);
    if (trimmed && kept.empty()) continue;  // leading white space
    kept.append(bytes);
    clusters.add(c < 0 ? 0xFFFD : c);
    if (!trimmed) {
      contentEnd = kept.size();
      clustersAtContentEnd = clusters.count();
    }
  }
  kept.resize(contentEnd);
  // Only a text that may hold more clusters than the limit needs a break iterator. A cut can end just after
  // white space, which goes too, so that the result is clean itself.
  if (clustersAtContentEnd > limit) {
    kept.resize(characterPrefixLength(kept, limit));
    trimEnd(kept);
  }
  return kept;
}

bool isClean(std::string_view text, std::size_t limit) {
  // Cleaning only removes scalars or replaces invalid bytes. Removing a scalar shortens the canonical
  // decomposition, and invalid text equals nothing but itself, so any change in the bytes means "not
  // canonically equivalent": the text is clean exactly when cleaning would leave every byte in place.
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
    throw std::length_error("text too long to clean");
  }
  const auto length = static_cast<int32_t>(text.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  ClusterBound clusters;
  bool trimmed = false;
  for (int32_t i = 0; i < length;) {
    if (bytes[i] < 0x80) {
      // Most scalars of any text are ASCII, and a run of them needs no property lookup: the controls are
      // removed, the space is the only white space, and every other byte is a cluster of its own.
      const int32_t start = i;
      while (i < length && isPrintableAscii(bytes[i])) ++i;
      if (i < length && bytes[i] < 0x80) return false;  // an ASCII control
      if (start == 0 && bytes[0] == ' ') return false;  // leading white space
      trimmed = bytes[i - 1] == ' ';
      clusters.addOthers(static_cast<std::size_t>(i - start));
      continue;
    }
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) return false;
    const ScalarProperties properties = propertiesOf(c);
    if ((properties.categories & removedCategories) != 0) return false;
    trimmed = (properties.categories & trimmedCategories) != 0;
    if (trimmed && i == U8_LENGTH(c)) return false;  // leading white space
    clusters.addKind(properties.clusterBreak);
  }
  if (trimmed) return false;
  return clusters.count() <= limit || characterPrefixLength(text, limit) == text.size();
}

bool matchesAgentKey(std::string_view text, PatternEnd end) {
  return findAnchored(text, end, [](std::string_view body) {
    return !body.empty() && body.size() <= 40 && std::all_of(body.begin(), body.end(), isKeyCharacter);
  });
}

bool matchesAccountID(std::string_view text, PatternEnd end) {
  return findAnchored(text, end, [](std::string_view body) {
    return !body.empty() && body.size() <= 80 &&
           std::all_of(body.begin(), body.end(), [](char c) { return isKeyCharacter(c) || c == ':'; });
  });
}

bool matchesAmount(std::string_view text, PatternEnd end) {
  return findAnchored(text, end, [](std::string_view body) {
    if (body.starts_with('-')) body.remove_prefix(1);
    const std::size_t whole = digitRun(body);
    if (whole < 1 || whole > 20) return false;
    body.remove_prefix(whole);
    if (body.empty()) return true;
    if (body.front() != '.') return false;
    body.remove_prefix(1);
    const std::size_t fraction = digitRun(body);
    return fraction >= 1 && fraction <= 12 && fraction == body.size();
  });
}

bool matchesDay(std::string_view text, PatternEnd end) {
  return findAnchored(text, end, [](std::string_view body) {
    if (body.size() != 10) return false;
    for (std::size_t i = 0; i < body.size(); ++i) {
      const bool dash = i == 4 || i == 7;
      if (dash ? body[i] != '-' : !isDigit(body[i])) return false;
    }
    return true;
  });
}

bool matchesSigningTeam(std::string_view text, PatternEnd end) {
  return findAnchored(text, end, [](std::string_view body) {
    return body.size() == 10 && std::all_of(body.begin(), body.end(), [](char c) {
      return (c >= 'A' && c <= 'Z') || isDigit(c);
    });
  });
}

}  // namespace velto
