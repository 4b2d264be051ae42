// Utf8Text: ASCII and validity scans, the control filter, and break iterators cloned from shared prototypes.
#include "Utf8Text.h"

#include <unicode/locid.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace velto::toolkit {
namespace {

constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

int32_t icuLength(std::string_view text) {
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
    throw std::length_error("text too long for ICU");
  }
  return static_cast<int32_t>(text.size());
}

const icu::BreakIterator& prototype(Utf8Breaks::Kind kind) {
  const auto make = [](Utf8Breaks::Kind of) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<const icu::BreakIterator> made(
        of == Utf8Breaks::Kind::line ? icu::BreakIterator::createLineInstance(icu::Locale::getRoot(), status)
                                     : icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !made) {
      throw std::runtime_error(std::string("ICU break rules unavailable: ") + u_errorName(status));
    }
    return made;
  };
  static const auto lines = make(Utf8Breaks::Kind::line);
  static const auto characters = make(Utf8Breaks::Kind::character);
  return kind == Utf8Breaks::Kind::line ? *lines : *characters;
}

/// Calls `visit(bytes, scalar)` for each scalar of `text`, the scalar negative for an invalid subpart.
template <typename Visit>
void eachScalar(std::string_view text, Visit visit) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const int32_t length = icuLength(text);
  for (int32_t i = 0; i < length;) {
    const int32_t start = i;
    UChar32 c = 0;
    // U8_NEXT steps over the maximal invalid subpart, exactly what ICU's conversions replace by one U+FFFD.
    U8_NEXT(bytes, i, length, c);
    visit(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(i - start)), c);
  }
}

}  // namespace

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string validUtf8(std::string_view text) {
  if (isAscii(text)) return std::string(text);
  std::string valid;
  valid.reserve(text.size());
  eachScalar(text, [&](std::string_view bytes, UChar32 c) { valid.append(c < 0 ? replacementCharacter : bytes); });
  return valid;
}

bool isControlOrSeparator(UChar32 c) {
  return (c >= 0 && c < 0x20) || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029;
}

std::string withoutControls(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  if (isAscii(text)) {
    for (const char c : text) {
      if (!isControlOrSeparator(c)) kept.push_back(c);
    }
    return kept;
  }
  eachScalar(text, [&](std::string_view bytes, UChar32 c) {
    if (!isControlOrSeparator(c)) kept.append(bytes);
  });
  return kept;
}

Utf8Breaks::Utf8Breaks(Kind kind, std::string_view text) : iterator_(prototype(kind).clone()) {
  UErrorCode status = U_ZERO_ERROR;
  utext_openUTF8(&text_, text.data(), icuLength(text), &status);
  if (iterator_.isValid() && U_SUCCESS(status)) iterator_->setText(&text_, status);
  if (!iterator_.isValid() || U_FAILURE(status)) {
    utext_close(&text_);
    throw std::runtime_error(std::string("cannot find break positions in a text: ") + u_errorName(status));
  }
}

Utf8Breaks::~Utf8Breaks() {
  // The iterator holds its own shallow copy of the UText; both go before the text they read.
  iterator_.adoptInstead(nullptr);
  utext_close(&text_);
}

}  // namespace velto::toolkit
