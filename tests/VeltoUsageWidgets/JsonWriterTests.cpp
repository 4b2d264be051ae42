// JsonWriterTests: string escapes, UTF-8 refusal and non-finite numbers.
#include "JsonWriter.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

#include "EscapedText.h"

namespace velto {
namespace {

using testing_support::escaped;

TEST(JsonWriter, StringEscapes) {
  const std::pair<std::string, std::string> cases[] = {
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
  for (const auto& [text, json] : cases) {
    SCOPED_TRACE(escaped(text));
    EXPECT_EQ(JsonWriter().string(text).text(), json);
  }
}

TEST(JsonWriter, RefusesInvalidUtf8) {
  for (const std::string text : {"\xFF", "abc\xC3", "\xC0\x80", "\xED\xA0\x80", "ok\xF4\x90\x80\x80", "\x80"}) {
    SCOPED_TRACE(escaped(text));
    EXPECT_THROW(JsonWriter().string(text), std::invalid_argument);
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
