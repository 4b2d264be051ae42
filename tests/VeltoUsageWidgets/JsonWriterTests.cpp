// JsonWriterTests: string escapes, UTF-8 refusal and non-finite numbers.
#include "JsonWriter.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>

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

TEST(JsonWriter, RefusesNonFiniteNumbers) {
  for (const double value : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_THROW(JsonWriter().number(value), std::invalid_argument);
  }
}

}  // namespace
}  // namespace velto
