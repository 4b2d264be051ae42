// UnicodeTextTests: canonical equivalence and grapheme clusters, checked against Unicode's own break tests.
#include "UnicodeText.h"

#include <gtest/gtest.h>
#include <unicode/unistr.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "EscapedText.h"

namespace velto {
namespace {

using testing_support::escaped;

/// Where the Debian package unicode-data installs the test file.
const std::filesystem::path graphemeBreakTestPath = "/usr/share/unicode/auxiliary/GraphemeBreakTest.txt";

/// One line of the test: its code points and where its clusters start.
struct GraphemeBreakLine {
  std::string source;  ///< the line as written, for failure messages
  std::vector<UChar32> scalars;
  std::vector<std::size_t> boundaries;  ///< scalar indexes where a cluster starts, then the end

  /// The scalars in [from, to) as UTF-8.
  std::string utf8(std::size_t from, std::size_t to) const {
    icu::UnicodeString text;
    for (std::size_t i = from; i < to; ++i) text.append(scalars[i]);
    std::string out;
    return text.toUTF8String(out);
  }
};

/// Every line of the file that holds a test, in order; none when the file is absent.
std::vector<GraphemeBreakLine> graphemeBreakLines() {
  std::vector<GraphemeBreakLine> lines;
  std::ifstream file(graphemeBreakTestPath);
  for (std::string source; std::getline(file, source);) {
    std::istringstream tokens(source.substr(0, source.find('#')));
    GraphemeBreakLine line{.source = source};
    for (std::string token; tokens >> token;) {
      if (token == "\u00F7") {  // ÷ a boundary
        line.boundaries.push_back(line.scalars.size());
      } else if (token != "\u00D7") {  // × no boundary; anything else is a code point
        line.scalars.push_back(static_cast<UChar32>(std::stoul(token, nullptr, 16)));
      }
    }
    if (!line.scalars.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

TEST(UnicodeText, CanonicalEquivalence) {
  struct Case {
    std::string a, b;
    bool equal;
  };
  const Case cases[] = {
      {"", "a", false},
      {"a", "A", false},
      {"caf\u00E9", "cafe\u0301", true},                 // precomposed vs decomposed
      {"K", "\u212A", true},                              // KELVIN SIGN decomposes to ASCII
      {"\uFB01", "fi", false},                            // compatibility, not canonical
      {"\xFF", "\xFF", true},                             // invalid bytes equal themselves
      {"\xFF", "\xFE", false},                            // ... and nothing else,
      {"\xFF", "\uFFFD", false},                          // not even their repaired form
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(escaped(c.a) + " vs " + escaped(c.b));
    EXPECT_EQ(canonicallyEqual(c.a, c.b), c.equal);
    EXPECT_EQ(canonicallyEqual(c.b, c.a), c.equal);
  }
}

// The break test below holds every kind of cluster, pure ASCII pairs among them (which take the ASCII shortcut);
// these add invalid UTF-8 and check the prefixes' edges.
TEST(UnicodeText, CharacterCountAndPrefixLength) {
  struct Case {
    std::string text;
    std::size_t count;
  };
  const Case cases[] = {
      {"", 0},
      {"\r\n", 1},
      {"\xFF\xFE", 2},                                      // each invalid byte reads as U+FFFD
      {"a\xCC\x81", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(escaped(c.text));
    EXPECT_EQ(characterCount(c.text), c.count);
    EXPECT_EQ(characterPrefixLength(c.text, 0), 0u);
    EXPECT_EQ(characterPrefixLength(c.text, c.count), c.text.size());
    EXPECT_EQ(characterPrefixLength(c.text, c.count + 5), c.text.size());
    if (c.count > 1) {
      const std::size_t cut = characterPrefixLength(c.text, c.count - 1);
      EXPECT_LT(cut, c.text.size());
      EXPECT_EQ(characterCount(c.text.substr(0, cut)), c.count - 1);
      EXPECT_EQ(characterCount(c.text.substr(cut)), 1u);
    }
  }
}

TEST(UnicodeText, CountsFromSeveralThreads) {
  const std::string text = "e\u0301\U0001F44D\U0001F3FD\U0001F1EB\U0001F1F7\r\nx";
  std::vector<std::thread> threads;
  std::vector<int> wrong(8, 0);
  for (std::size_t t = 0; t < wrong.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 2000; ++i) wrong[t] += characterCount(text) == 5 ? 0 : 1;
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int w : wrong) EXPECT_EQ(w, 0);
}

TEST(UnicodeText, PassesUnicodeGraphemeBreakTest) {
  const auto lines = graphemeBreakLines();
  if (lines.empty()) GTEST_SKIP() << graphemeBreakTestPath << " is absent (package unicode-data)";
  for (const auto& line : lines) {
    SCOPED_TRACE(line.source);
    const std::string text = line.utf8(0, line.scalars.size());
    ASSERT_EQ(characterCount(text), line.boundaries.size() - 1);
    for (std::size_t k = 1; k < line.boundaries.size(); ++k) {
      ASSERT_EQ(characterPrefixLength(text, k), line.utf8(0, line.boundaries[k]).size()) << "k=" << k;
    }
  }
  EXPECT_GT(lines.size(), 500u);
}

}  // namespace
}  // namespace velto
