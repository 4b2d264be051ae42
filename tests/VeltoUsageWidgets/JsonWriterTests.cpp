// JsonWriterTests: string escapes, UTF-8 refusal and strings that read back through simdjson.
#include "JsonWriter.h"

#include <gtest/gtest.h>
#include <simdjson.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "EscapedText.h"

namespace velto {
namespace {

using testing_support::escaped;

std::string written(std::string_view text) { return JsonWriter().string(text).text(); }

TEST(JsonWriter, StringEscapes) {
  struct Case {
    std::string text;
    std::string json;
  };
  const Case cases[] = {
      {"", R"("")"},
      {"plain", R"("plain")"},
      {"a\"b\\c", R"("a\"b\\c")"},
      {"\b\f\n\r\t", R"("\b\f\n\r\t")"},
      {std::string("\0\x01\x1F", 3), R"("\u0000\u0001\u001f")"},
      {"\x7F/", "\"\x7F/\""},                               // DEL and the slash need no escape
      {"\"", R"("\"")"},                                     // an escape alone, then at both ends of runs
      {"ab\ncd\"", R"("ab\ncd\"")"},
      {"\u00E9\u4E2D\U0001F44D\n", "\"\u00E9\u4E2D\U0001F44D\\n\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(escaped(c.text));
    EXPECT_EQ(written(c.text), c.json);
  }
}

TEST(JsonWriter, RefusesInvalidUtf8InValuesAndKeys) {
  for (const std::string text : {"\xFF", "abc\xC3", "\xC0\x80", "\xED\xA0\x80", "ok\xF4\x90\x80\x80", "\x80"}) {
    SCOPED_TRACE(escaped(text));
    EXPECT_THROW(JsonWriter().string(text), std::invalid_argument);
    EXPECT_THROW(JsonWriter().beginObject().key(text), std::invalid_argument);
  }
}

// Random strings over escapes, ASCII and multibyte scalars must read back unchanged as object keys and values.
TEST(JsonWriter, GeneratedStringsReadBack) {
  const std::vector<std::string> alphabet = {"a", "Z", " ", "\"", "\\", "/", "\n", "\t", std::string(1, '\0'),
                                             "\x1F", "\x7F", "\u00E9", "\u2028", "\U0001F44D", "\uFFFD"};
  std::mt19937 random(11);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<std::size_t> length(0, 12);
  simdjson::dom::parser parser;
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (std::size_t n = length(random); n > 0; --n) text += alphabet[pick(random)];
    SCOPED_TRACE(escaped(text));
    const std::string json = JsonWriter().beginObject().key(text).string(text).endObject().text();
    simdjson::dom::object object;
    ASSERT_FALSE(parser.parse(json).get(object)) << json;
    for (const auto field : object) {
      ASSERT_EQ(field.key, text);
      std::string_view value;
      ASSERT_FALSE(field.value.get(value));
      ASSERT_EQ(value, text);
    }
  }
}

}  // namespace
}  // namespace velto
