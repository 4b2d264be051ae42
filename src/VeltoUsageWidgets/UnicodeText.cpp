// UnicodeText: canonical equivalence and grapheme clusters of UTF-8 text, on top of ICU.
#include "UnicodeText.h"

#include <unicode/unistr.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <stdexcept>

#include "Utf8Text.h"

namespace velto {
namespace {

using toolkit::isAscii;
using toolkit::Utf8Breaks;

/// UTF-16 form of a UTF-8 text, each invalid sequence replaced by U+FFFD; `valid` says whether any was.
icu::UnicodeString toUtf16(std::string_view text, bool& valid) {
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
    throw std::length_error("text too long for ICU");
  }
  const auto length = static_cast<int32_t>(text.size());
  icu::UnicodeString result;
  // UTF-8 never takes fewer code units than UTF-16, and a replaced sequence is at least one byte long.
  UChar* buffer = result.getBuffer(std::max<int32_t>(length, 1));
  int32_t written = 0;
  int32_t substitutions = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(buffer, result.getCapacity(), &written, text.data(), length, 0xFFFD, &substitutions,
                       &status);
  result.releaseBuffer(U_FAILURE(status) ? 0 : written);
  if (U_FAILURE(status)) throw std::runtime_error(std::string("UTF-8 conversion failed: ") + u_errorName(status));
  valid = substitutions == 0;
  return result;
}

/// Byte length of the first `characters` clusters of an ASCII text, where only "\r\n" joins two bytes.
std::size_t asciiPrefixLength(std::string_view text, std::size_t characters) {
  std::size_t end = 0;
  for (std::size_t seen = 0; seen < characters && end < text.size(); ++seen) {
    const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    end += crlf ? 2u : 1u;
  }
  return end;
}

}  // namespace

bool canonicallyEqual(std::string_view a, std::string_view b) {
  if (a == b) return true;
  // Every ASCII text is its own decomposition, so two different ones never match. (An ASCII text can still
  // equal a non-ASCII one: U+212A KELVIN SIGN decomposes to "K".)
  if (isAscii(a) && isAscii(b)) return false;
  bool validA = true;
  bool validB = true;
  const icu::UnicodeString ua = toUtf16(a, validA);
  const icu::UnicodeString ub = toUtf16(b, validB);
  // Text with invalid UTF-8 equals only its own bytes: otherwise "\xFF" would equal "\uFFFD", and a text
  // would be equal to its repaired, cleaned form and pass as clean.
  if (!validA || !validB) return false;
  UErrorCode status = U_ZERO_ERROR;
  const int32_t order = unorm_compare(ua.getBuffer(), ua.length(), ub.getBuffer(), ub.length(), 0, &status);
  if (U_FAILURE(status)) {
    throw std::runtime_error(std::string("canonical comparison failed: ") + u_errorName(status));
  }
  return order == 0;
}

std::size_t characterCount(std::string_view text) {
  if (isAscii(text)) {
    std::size_t pairs = 0;
    for (std::size_t i = 1; i < text.size(); ++i) pairs += text[i - 1] == '\r' && text[i] == '\n' ? 1u : 0u;
    return text.size() - pairs;
  }
  const Utf8Breaks breaks(Utf8Breaks::Kind::character, text);
  std::size_t count = 0;
  breaks->first();
  while (breaks->next() != icu::BreakIterator::DONE) ++count;
  return count;
}

std::size_t characterPrefixLength(std::string_view text, std::size_t characters) {
  // A cluster takes at least one byte, so a text no longer than the count is kept whole.
  if (characters >= text.size()) return text.size();
  if (isAscii(text)) return asciiPrefixLength(text, characters);
  const Utf8Breaks breaks(Utf8Breaks::Kind::character, text);
  breaks->first();
  // characters < text.size(), and ICU cannot hold texts longer than int32 anyway.
  const int32_t end = breaks->next(static_cast<int32_t>(std::min<std::size_t>(
      characters, static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))));
  return end == icu::BreakIterator::DONE ? text.size() : static_cast<std::size_t>(end);
}

}  // namespace velto
