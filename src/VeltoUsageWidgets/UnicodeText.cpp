// UnicodeText: canonical equivalence and grapheme clusters of UTF-8 text, on top of ICU.
#include "UnicodeText.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>
#include <unicode/utext.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <stdexcept>

namespace velto {
namespace {

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

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

/// The shared character break iterator. It is never used itself, only cloned: cloning a const iterator is
/// safe from several threads and ten times cheaper than building one from the rules.
const icu::BreakIterator& characterBreakPrototype() {
  static const std::unique_ptr<const icu::BreakIterator> prototype = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<const icu::BreakIterator> made(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !made) {
      throw std::runtime_error(std::string("ICU character break rules unavailable: ") + u_errorName(status));
    }
    return made;
  }();
  return *prototype;
}

/// A private character break iterator set on a UTF-8 text, so that boundaries come out as byte offsets.
/// The text must outlive it; invalid sequences read as U+FFFD.
class CharacterBreaks {
 public:
  explicit CharacterBreaks(std::string_view text) : iterator_(characterBreakPrototype().clone()) {
    UErrorCode status = U_ZERO_ERROR;
    utext_openUTF8(&utext_, text.data(), static_cast<int64_t>(text.size()), &status);
    if (!iterator_ || U_FAILURE(status)) {
      utext_close(&utext_);
      throw std::runtime_error("cannot iterate over grapheme clusters");
    }
    iterator_->setText(&utext_, status);
    if (U_FAILURE(status)) {
      utext_close(&utext_);
      throw std::runtime_error(std::string("cannot iterate over grapheme clusters: ") + u_errorName(status));
    }
  }
  ~CharacterBreaks() {
    iterator_.reset();
    utext_close(&utext_);
  }
  CharacterBreaks(const CharacterBreaks&) = delete;
  CharacterBreaks& operator=(const CharacterBreaks&) = delete;

  icu::BreakIterator& operator*() { return *iterator_; }
  icu::BreakIterator* operator->() { return iterator_.get(); }

 private:
  UText utext_ = UTEXT_INITIALIZER;
  std::unique_ptr<icu::BreakIterator> iterator_;
};

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
  CharacterBreaks breaks(text);
  std::size_t count = 0;
  breaks->first();
  while (breaks->next() != icu::BreakIterator::DONE) ++count;
  return count;
}

std::size_t characterPrefixLength(std::string_view text, std::size_t characters) {
  // A cluster takes at least one byte, so a text no longer than the count is kept whole.
  if (characters >= text.size()) return text.size();
  if (isAscii(text)) return asciiPrefixLength(text, characters);
  CharacterBreaks breaks(text);
  breaks->first();
  // characters < text.size(), and ICU cannot hold texts longer than int32 anyway.
  const int32_t end = breaks->next(static_cast<int32_t>(std::min<std::size_t>(
      characters, static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))));
  return end == icu::BreakIterator::DONE ? text.size() : static_cast<std::size_t>(end);
}

}  // namespace velto
