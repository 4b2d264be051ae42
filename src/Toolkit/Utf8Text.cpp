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

bool hasControls(std::string_view text) {
  // In UTF-8 the C0 controls and DEL are single bytes, the C1 controls C2 80...C2 9F, and the separators
  // E2 80 A8 and E2 80 A9; a lead byte never appears inside another sequence, so bytes can be matched alone.
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned c = bytes[i];
    if (c >= 0x20 && c != 0x7F && c != 0xC2 && c != 0xE2) continue;  // nearly every byte
    if (c < 0x20 || c == 0x7F) return true;
    const unsigned next = i + 1 < size ? bytes[i + 1] : 0;
    if (c == 0xC2 && next >= 0x80 && next <= 0x9F) return true;
    if (c == 0xE2 && next == 0x80 && i + 2 < size && (bytes[i + 2] == 0xA8 || bytes[i + 2] == 0xA9)) return true;
  }
  return false;
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
