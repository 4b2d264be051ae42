// TextRulesTests: cleaning tables, Unicode's break tests through clean, and the matchers against ICU regex.
#include "TextRules.h"

#include "UnicodeText.h"

#include <gtest/gtest.h>
#include <unicode/regex.h>
#include <unicode/uchar.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "EscapedText.h"
#include "GraphemeBreakTest.h"

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
      {"cafe\u0301", 4, "cafe\u0301"},                        // decomposed text is clean as it is
      {repeated(thumb, 60), 60, repeated(thumb, 60)},         // 120 scalars, 60 characters
      {repeated(thumb, 61), 60, repeated(thumb, 60)},
      {" \u0301a", 5, "\u0301a"},
      {"\u2764\uFE0F!", 1, "\u2764\uFE0F"},                   // U+FE0F is a mark, not a format character
      {family, 1, "\U0001F468"},                              // ZWJ gone: three people, not a family
      {family, 3, "\U0001F468\U0001F469\U0001F467"},
      {"e\u200D\u0301", 1, "e\u0301"},                        // clusters counted after removal
      {"\xFF" "a", 5, "\uFFFD" "a"},                          // invalid UTF-8 is replaced,
      {"a\xC3", 5, "a\uFFFD"},
      {"\xE2\x80" "b", 5, "\uFFFD" "b"},                      // one U+FFFD per maximal subpart
      {"\xC0\x80", 5, "\uFFFD\uFFFD"},
      {"\xED\xA0\x80", 5, "\uFFFD\uFFFD\uFFFD"},              // an encoded surrogate
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

// Lines without controls or format characters clean to their trimmed text; trimming a scalar only moves the
// boundary next to it, so the clusters of what remains are the line's own, and each cut must land on them
// (and lose the white space it ends in).
TEST(TextRules, CleanCutsOnUnicodeGraphemeBoundaries) {
  const auto lines = testing_support::graphemeBreakLines();
  if (lines.empty()) GTEST_SKIP() << testing_support::graphemeBreakTestPath << " is absent (package unicode-data)";
  const auto gc = [](UChar32 c) { return U_GET_GC_MASK(c); };
  const auto blank = [&](UChar32 c) { return (gc(c) & (U_GC_ZS_MASK | U_GC_ZL_MASK | U_GC_ZP_MASK)) != 0; };
  std::size_t checked = 0;
  for (const auto& line : lines) {
    const auto& scalars = line.scalars;
    if (std::any_of(scalars.begin(), scalars.end(),
                    [&](UChar32 c) { return (gc(c) & (U_GC_CC_MASK | U_GC_CF_MASK)) != 0; })) {
      continue;
    }
    std::size_t first = 0;
    std::size_t last = scalars.size();
    while (first < last && blank(scalars[first])) ++first;
    while (last > first && blank(scalars[last - 1])) --last;
    std::vector<std::size_t> cuts = {first};
    for (std::size_t b : line.boundaries) {
      if (b > first && b < last) cuts.push_back(b);
    }
    if (last > first) cuts.push_back(last);
    const std::string text = line.utf8(0, scalars.size());
    SCOPED_TRACE(line.source);
    for (std::size_t k = 0; k <= cuts.size(); ++k) {
      std::size_t end = cuts[std::min(k, cuts.size() - 1)];
      while (end > first && blank(scalars[end - 1])) --end;
      ASSERT_EQ(clean(text, k), line.utf8(first, end)) << "k=" << k;
      ASSERT_EQ(isClean(text, k), clean(text, k) == text) << "k=" << k;
    }
    ++checked;
  }
  EXPECT_GT(checked, 200u);
}

/// An ICU regex searched with find(), as the rules are written; `atEnd` reads its final `$` as `\\z`.
class IcuPattern {
 public:
  IcuPattern(std::string pattern, bool atEnd) {
    if (atEnd) pattern.replace(pattern.size() - 1, 1, "\\z");
    UErrorCode status = U_ZERO_ERROR;
    pattern_.reset(icu::RegexPattern::compile(icu::UnicodeString::fromUTF8(pattern), 0, status));
    if (U_SUCCESS(status)) matcher_.reset(pattern_->matcher(status));
    if (U_FAILURE(status)) throw std::runtime_error(u_errorName(status));
  }
  bool find(std::string_view text) {
    input_ = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    matcher_->reset(input_);
    return matcher_->find();
  }

 private:
  std::unique_ptr<icu::RegexPattern> pattern_;
  std::unique_ptr<icu::RegexMatcher> matcher_;
  icu::UnicodeString input_;
};

/// Texts shaped like one rule's matches, with noise from an alphabet that stresses all of them.
class Generator {
 public:
  explicit Generator(std::uint32_t seed) : random_(seed) {}

  std::string fromAlphabet() { return pickFrom(kNoise); }
  std::string terminator() { return pickFrom(kTerminators); }
  std::size_t upTo(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n)(random_); }
  bool chance(double p) { return std::bernoulli_distribution(p)(random_); }

  /// `count` scalars from `valid`, each replaced by noise with a small probability.
  std::string run(std::string_view valid, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
      out += chance(0.03) ? fromAlphabet() : std::string(1, valid[upTo(valid.size() - 1)]);
    }
    return out;
  }
  /// Zero, one (mostly) or two line terminators, or a stray character after the body.
  std::string ending() {
    const std::size_t kind = upTo(9);
    if (kind < 4) return {};
    if (kind < 8) return terminator();
    if (kind == 8) return terminator() + terminator();
    return fromAlphabet();
  }

 private:
  std::string pickFrom(const std::vector<std::string>& options) { return options[upTo(options.size() - 1)]; }

  static inline const std::vector<std::string> kTerminators = {"\n", "\r\n", "\r", "\v", "\f", "\u0085",
                                                               "\u2028", "\u2029"};
  static inline const std::vector<std::string> kNoise = {
      "a", "z", "A", "Z", "0", "9", "_", ":", "-", ".", "+", ",", "e", "E", " ", "\t", "\n", "\r\n", "\r",
      "\v", "\f", "\u0085", "\u2028", "\u2029", "\u00E9", "\u0660", "\xFF", "\xC2", "\xE2\x80", "\xA8"};
  std::mt19937 random_;
};

// Each matcher in both modes against ICU: `$` as the rules write it, and `\z` (the very end of the input) for a
// pattern taken at its word.
TEST(TextRules, MatchersAgreeWithIcuRegex) {
  struct Rule {
    const char* pattern;
    bool (*matches)(std::string_view, PatternEnd);
    IcuPattern icu{pattern, false};
    IcuPattern icuAtEnd{pattern, true};
  };
  Rule rules[] = {
      {"^[a-z0-9_-]{1,40}$", matchesAgentKey},
      {"^[a-z0-9_:-]{1,80}$", matchesAccountID},
      {"^-?[0-9]{1,20}(\\.[0-9]{1,12})?$", matchesAmount},
      {"^[0-9]{4}-[0-9]{2}-[0-9]{2}$", matchesDay},
  };
  Generator g(0x5EED);
  const std::vector<std::function<std::string()>> shapes = {
      [&] { return g.run("abcxyz0189_-", g.upTo(45)) + g.ending(); },
      [&] { return g.run("abz09_:-", g.upTo(85)) + g.ending(); },
      [&] {
        std::string text = g.chance(0.3) ? "-" : g.chance(0.05) ? g.fromAlphabet() : "";
        text += g.run("0123456789", 16 + g.upTo(6));
        if (g.chance(0.6)) text += (g.chance(0.9) ? "." : g.fromAlphabet()) + g.run("0123456789", 9 + g.upTo(5));
        return text + g.ending();
      },
      [&] {
        return g.run("0123456789", 3 + g.upTo(2)) + g.run("-", 1) + g.run("0123456789", 1 + g.upTo(2)) +
               g.run("-", 1) + g.run("0123456789", 1 + g.upTo(2)) + g.ending();
      },
      [&] {
        std::string text;
        for (std::size_t n = g.upTo(6); n > 0; --n) text += g.fromAlphabet();
        return text;
      },
  };
  std::size_t matched = 0;
  std::size_t tried = 0;
  for (int round = 0; round < 10000; ++round) {
    for (const auto& shape : shapes) {
      const std::string text = shape();
      for (Rule& rule : rules) {
        const bool expected = rule.icu.find(text);
        ASSERT_EQ(rule.matches(text, PatternEnd::beforeFinalLineTerminator), expected)
            << rule.pattern << " on \"" << escaped(text) << '"';
        ASSERT_EQ(rule.matches(text, PatternEnd::atEnd), rule.icuAtEnd.find(text))
            << rule.pattern << " at the end on \"" << escaped(text) << '"';
        matched += expected ? 1 : 0;
        ++tried;
      }
    }
  }
  // The generator must hit both sides of every rule often, or the agreement says little.
  EXPECT_GT(matched, tried / 10);
  EXPECT_LT(matched, tried / 2);
}

}  // namespace
}  // namespace velto
