// Utf8Text: the UTF-8 helpers that the toolkit, the model's text rules and the renderers share.
#pragma once

#include <unicode/brkiter.h>
#include <unicode/localpointer.h>
#include <unicode/utext.h>

#include <string>
#include <string_view>

namespace velto::toolkit {

/// True when every byte of `text` is below 0x80: each byte is then one scalar and one grapheme cluster (but
/// "\r\n"), which lets most text questions skip ICU.
bool isAscii(std::string_view text);

/// `text` with every invalid sequence replaced by U+FFFD, one for each maximal invalid subpart, as ICU's
/// own conversions do; valid text comes back unchanged.
std::string validUtf8(std::string_view text);

/// True when `c` is a C0 or C1 control (DEL included), U+2028 LINE SEPARATOR or U+2029 PARAGRAPH SEPARATOR:
/// the scalars that move a terminal's cursor, start an escape sequence or end a line wherever they stand.
bool isControlOrSeparator(UChar32 c);

/// True when `text` holds a scalar that isControlOrSeparator: a scan of its bytes, without decoding.
bool hasControls(std::string_view text);

/// `text` without its controls and line and paragraph separators (isControlOrSeparator), so that it shows as
/// one run of characters in every renderer; invalid sequences are left for the renderers to replace.
std::string withoutControls(std::string_view text);

/// A private ICU break iterator set on a UTF-8 text, so that boundaries come out as byte offsets; invalid
/// sequences read as U+FFFD. Each is cloned from one built once per kind: building one from the rules costs
/// ten times a clone, and cloning a const iterator is safe from several threads. The text must outlive it.
class Utf8Breaks {
 public:
  enum class Kind { character, line };

  /// Throws std::runtime_error when ICU's rules are unavailable, std::length_error for a text ICU cannot hold.
  Utf8Breaks(Kind kind, std::string_view text);
  ~Utf8Breaks();
  Utf8Breaks(const Utf8Breaks&) = delete;
  Utf8Breaks& operator=(const Utf8Breaks&) = delete;

  icu::BreakIterator& operator*() const { return *iterator_; }
  icu::BreakIterator* operator->() const { return iterator_.getAlias(); }

 private:
  UText text_ = UTEXT_INITIALIZER;  // ICU keeps its address: the object never moves
  icu::LocalPointer<icu::BreakIterator> iterator_;
};

}  // namespace velto::toolkit
