// TextRulesTests: cleaning tables, the ASCII shortcuts against the general path, and the matchers' tables.
#include "TextRules.h"

#include "UnicodeText.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "EscapedText.h"

namespace velto {
namespace {

using testing_support::escaped;

std::string repeated(std::string_view text, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += text;
  return out;
}

TEST(TextRules, Clean) {
  struct Case {
    std::string text;
    std::size_t limit;
    std::string cleaned;
  };
  const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
  const std::string thumb = "\U0001F44D\U0001F3FD";
  const Case cases[] = {
      {"plain", 10, "plain"},
      {"a\x01" "b\x7F" "c", 10, "abc"},                       // controls anywhere
      {"a\tb\r\nc\u0085d", 10, "abcd"},                       // inner breaks are controls too
      {"\u200Bab\u200D c\uFEFF", 10, "ab c"},                 // format characters
      {"a\u00ADb\u2060c", 10, "abc"},                         // soft hyphen, word joiner
      {" \u00A0ab c\u3000\u2028 ", 10, "ab c"},               // Zs and Zl at the ends
      {"\u2029\t x \n\v", 10, "x"},
      {"a \u200B", 10, "a"},                                  // removal comes before trimming
      {"a\u00A0\u00A0b", 10, "a\u00A0\u00A0b"},               // inner white space stays
      {"ab cd", 3, "ab"},                                     // a cut just after white space
      {"ab  cd", 4, "ab"},                                    // trims it again
      {"ab\u3000\u2028cd", 4, "ab"},
      {"abc", 0, ""},
      {"\u00E9t\u00E9", 0, ""},
      {"   ", 5, ""},
      {" \u3000\u200B ", 5, ""},
      {"e\u0301e\u0301", 1, "e\u0301"},                       // never normalised, marks stay with base
      {repeated(thumb, 60), 60, repeated(thumb, 60)},         // 120 scalars, 60 characters
      {repeated(thumb, 61), 60, repeated(thumb, 60)},
      {" \u0301a", 5, "\u0301a"},
      {"\u2764\uFE0F!", 1, "\u2764\uFE0F"},                   // U+FE0F is a mark, not a format character
      {family, 1, "\U0001F468"},                              // ZWJ gone: three people, not a family
      {"e\u200D\u0301", 1, "e\u0301"},                        // clusters counted after removal
      // Clusters are counted without a break iterator, as an upper bound: joining marks, pairs of regional
      // indicators and nothing joined to a line separator; only texts past the limit are cut by ICU.
      {"\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA", 1, "\U0001F1EB\U0001F1F7"},
      {"\U0001F1EBa", 1, "\U0001F1EB"},
      {"a\u2028\u0301b", 3, "a\u2028\u0301"},
      {"\u0915\u093F\u0915\u093F", 1, "\u0915\u093F"},   // a spacing mark
      {"\u0D4E\u0D15a", 1, "\u0D4E\u0D15"},               // a prepended letter
      {"\u1100\u1161\u11A8\u1100", 1, "\u1100\u1161\u11A8"},  // Hangul jamo
      {"\xFF" "a", 5, "\uFFFD" "a"},                          // invalid UTF-8 is replaced,
      {"\xE2\x80" "b", 5, "\uFFFD" "b"},                      // one U+FFFD per maximal subpart
      {" \xFF ", 5, "\uFFFD"},
      {"\uFFFD", 5, "\uFFFD"},                                // ... which is clean itself
  };
  // Validation keeps its own isClean, which these rows hold to the same answers as before: a text passes
  // exactly when it equals its cleaning. What cleaning gives must pass, so that projected texts are storable.
  for (const Case& c : cases) {
    SCOPED_TRACE(escaped(c.text) + " limit " + std::to_string(c.limit));
    const std::string cleaned = clean(c.text, c.limit);
    EXPECT_EQ(cleaned, c.cleaned) << escaped(cleaned);
    EXPECT_EQ(isClean(c.text, c.limit), cleaned == c.text);
    EXPECT_TRUE(isClean(cleaned, c.limit)) << escaped(cleaned);
  }
}

// Random texts through both the ASCII shortcut and the general path, which a removed U+200B forces; isClean
// must give the answer of its definition either way. Every other text draws only from scalars that cleaning
// keeps (marks, spacing marks, prepends, Hangul jamo, flags), so that clean texts at and past the limit are common.
// U+3000 and U+1100 differ in every property isClean asks and end in the same byte, as cached answers are kept.
TEST(TextRules, ShortcutsAgreeWithGeneralPath) {
  std::mt19937 random(7);
  const std::vector<std::string> kept = {"a", "b", " ", "e\u0301", "\u00E9", "\u00A0", "\u3000", "\u0301",
                                         "\u2028", "\U0001F44D", "\U0001F3FD", "\U0001F1EB", "\uFE0F",
                                         "\U0001F1F7", "\u093F", "\u0D4E", "\u1100", "\u1161", "\u11A8", "\u2764"};
  std::vector<std::string> any = kept;
  any.insert(any.end(), {"\t", "\r", "\n", "\x01", "\x7F", "\u200D", "\u00AD", "\xFF", "\xE2\x80"});
  std::uniform_int_distribution<std::size_t> length(0, 10);
  for (int round = 0; round < 10000; ++round) {
    const std::vector<std::string>& alphabet = round % 2 == 0 ? any : kept;
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string text;
    for (std::size_t n = length(random); n > 0; --n) text += alphabet[pick(random)];
    const std::size_t limit = length(random);
    SCOPED_TRACE(escaped(text) + " limit " + std::to_string(limit));
    ASSERT_EQ(clean(text + "\u200B", limit), clean(text, limit));
    ASSERT_EQ(clean("\u200B" + text, limit), clean(text, limit));
    ASSERT_EQ(isClean(text, limit), canonicallyEqual(clean(text, limit), text));
    ASSERT_TRUE(isClean(clean(text, limit), limit));
  }
}

// Each matcher in both modes: `$` as the rules write it (ICU's, which also matches before one final line
// terminator), and the very end of the text. Rows mark the rules a text matches: Key, Id, Amount, Day, Team.
TEST(TextRules, MatchersFollowIcuRegexSearch) {
  const auto matched = [](const std::string& text, PatternEnd end) {
    std::string rules;
    if (matchesAgentKey(text, end)) rules += 'K';
    if (matchesAccountID(text, end)) rules += 'I';
    if (matchesAmount(text, end)) rules += 'A';
    if (matchesDay(text, end)) rules += 'D';
    if (matchesSigningTeam(text, end)) rules += 'T';
    return rules;
  };
  const std::pair<std::string, std::string> bodies[] = {
      {"", ""},
      {"z09_-", "KI"},
      {"a:b", "I"},
      {"A", ""},
      {"ABCDE12345", "T"},
      {"ABCDE1234", ""},
      {"ABCDE123456", ""},
      {"0123456789", "KIAT"},
      {std::string(40, 'a'), "KI"},
      {std::string(41, 'a'), "I"},
      {std::string(80, 'a'), "I"},
      {std::string(81, 'a'), ""},
      {"-0", "KIA"},
      {"-1.5", "A"},
      {"1.", ""},
      {".5", ""},
      {"1.5x", ""},
      {std::string(20, '9'), "KIA"},
      {std::string(21, '9'), "KI"},
      {"1." + std::string(12, '0'), "A"},
      {"1." + std::string(13, '0'), ""},
      {"2026-12-01", "KID"},
      {"2026_12_01", "KI"},
      {"2026-12-0a", "KI"},
      {"a\t", ""},                                   // not a line terminator, or one too many
      {"a\x0E", ""},
      {"a\n\n", ""},
  };
  for (const auto& [text, rules] : bodies) {
    EXPECT_EQ(matched(text, PatternEnd::beforeFinalLineTerminator), rules) << escaped(text);
    EXPECT_EQ(matched(text, PatternEnd::atEnd), rules) << escaped(text);
  }
  // Each line terminator ICU's `$` steps over, once; at the very end, none.
  const std::pair<std::string, std::string> terminated[] = {
      {"a\n", "KI"},
      {"a\r\n", "KI"},
      {"a\r", "KI"},
      {"a\v", "KI"},
      {"a\f", "KI"},
      {"1.5\u0085", "A"},
      {"2026-12-01\u2028", "KID"},
      {"a:b\u2029", "I"},
      {"ABCDE12345\r\n", "T"},
  };
  for (const auto& [text, rules] : terminated) {
    EXPECT_EQ(matched(text, PatternEnd::beforeFinalLineTerminator), rules) << escaped(text);
    EXPECT_EQ(matched(text, PatternEnd::atEnd), "") << escaped(text);
  }
}

}  // namespace
}  // namespace velto
