// Tests of the shared UTF-8 helpers: which scalars the control filter drops, and how invalid text is repaired.
#include "Utf8Text.h"

#include <gtest/gtest.h>

#include <string>

#include "EscapedText.h"

namespace velto::toolkit {
namespace {

using testing_support::escaped;

TEST(Utf8Text, WithoutControlsDropsC0C1AndLineAndParagraphSeparatorsOnly) {
  struct Case {
    std::string text;
    std::string shown;
  };
  const Case cases[] = {
      {"12.50\n", "12.50"},
      {"a\r\nb\tc\x1b[31m", "abc[31m"},                     // no escape sequence can start
      {"a\x7F" "b\u0080c\u0085d\u009F", "abcd"},             // DEL and the C1 block
      {"Na\u2028me\u2029", "Name"},
      {"\u00A0a\u200Bb\u202Fc \u3000", "\u00A0a\u200Bb\u202Fc \u3000"},  // spaces and format characters stay
      {"\xFF" "a\xC2", "\xFF" "a\xC2"},                     // invalid bytes are the renderers' to replace
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(escaped(withoutControls(c.text)), escaped(c.shown)) << escaped(c.text);
    EXPECT_EQ(hasControls(c.text), c.shown != c.text) << escaped(c.text);
  }
  for (const std::string clean : {"\u00C2\u00A0", "\u0100", "\u2027\u202A", "\xC2", "\xE2\x80"}) {
    EXPECT_FALSE(hasControls(clean)) << escaped(clean);  // neighbours of the encodings, and truncated ones
  }
}

TEST(Utf8Text, ValidUtf8ReplacesEachMaximalInvalidSubpart) {
  EXPECT_EQ(validUtf8("\u00E9t\u00E9"), "\u00E9t\u00E9");
  EXPECT_EQ(validUtf8("\xE2\x80" "b"), "\uFFFD" "b");
}

}  // namespace
}  // namespace velto::toolkit
