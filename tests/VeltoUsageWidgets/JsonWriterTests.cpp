// JsonWriterTests: string escapes, their length without the text and its bound, and UTF-8 refusal.
#include "JsonWriter.h"

#include <gtest/gtest.h>

#include <algorithm>

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
    EXPECT_EQ(JsonWriter(JsonWriter::Output::sizeOnly).string(text).size(), json.size());
    // The bound is exact but for the two-byte escapes of controls, which it takes at six bytes each.
    const std::size_t shortEscapes = static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return c == '\b' || c == '\f' || c == '\n' || c == '\r' || c == '\t'; }));
    EXPECT_EQ(JsonWriter::escapedSizeBound(text), json.size() - 2 + 4 * shortEscapes);
  }
}

// Only text past ASCII goes to simdjson's validator: one invalid sequence after ASCII shows that it is asked.
TEST(JsonWriter, RefusesInvalidUtf8) {
  EXPECT_THROW(JsonWriter().string("abc\xC3"), std::invalid_argument);
}

}  // namespace
}  // namespace velto
