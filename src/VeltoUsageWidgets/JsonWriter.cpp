// JsonWriter: commas, string escapes and round-trip numbers.
#include "JsonWriter.h"

#include <simdjson.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace velto {

void JsonWriter::put(std::string_view bytes) {
  if (sizeOnly_) {
    size_ += bytes.size();
  } else {
    out_ += bytes;
  }
}

void JsonWriter::separate() {
  if (comma_) put(',');
  comma_ = depth_ > 0;
}

JsonWriter& JsonWriter::beginObject() {
  separate();
  put('{');
  ++depth_;
  comma_ = false;
  return *this;
}

JsonWriter& JsonWriter::endObject() {
  put('}');
  comma_ = --depth_ > 0;
  return *this;
}

JsonWriter& JsonWriter::beginArray() {
  separate();
  put('[');
  ++depth_;
  comma_ = false;
  return *this;
}

JsonWriter& JsonWriter::endArray() {
  put(']');
  comma_ = --depth_ > 0;
  return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
  string(name);
  put(':');
  comma_ = false;
  return *this;
}

namespace {

/// Bytes that JSON cannot hold unescaped inside a string. Without short-circuits, so that a loop over it
/// needs no branch.
bool needsEscape(unsigned char byte) { return (byte < 0x20) | (byte == '"') | (byte == '\\'); }

struct TextScan {
  bool pastAscii = false;
  bool escapes = false;
};

/// Whether any byte of `text` is past ASCII and whether any needs an escape, in one pass without an early exit,
/// which the compiler turns into vector instructions: most texts are plain and go out whole.
TextScan scan(std::string_view text) {
  unsigned bits = 0;
  unsigned escapes = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    bits |= byte;
    escapes |= static_cast<unsigned>(needsEscape(byte));
  }
  return {(bits & 0x80) != 0, escapes != 0};
}

}  // namespace

std::size_t JsonWriter::escapedSizeBound(std::string_view text) {
  if (!scan(text).escapes) return text.size();  // most texts
  // A quote or a backslash takes one byte more, any other escaped byte five more.
  std::size_t extra = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    extra += static_cast<std::size_t>(needsEscape(byte)) + static_cast<std::size_t>(byte < 0x20) * 4;
  }
  return text.size() + extra;
}

JsonWriter& JsonWriter::string(std::string_view text) {
  // Only a text with a byte past ASCII can be invalid UTF-8; keys and most values never reach simdjson.
  const TextScan found = scan(text);
  if (found.pastAscii && !simdjson::validate_utf8(text.data(), text.size())) {
    throw std::invalid_argument("JSON text must be valid UTF-8");
  }
  separate();
  if (!found.escapes) {
    put('"');
    put(text);
    put('"');
    return *this;
  }
  static constexpr char hex[] = "0123456789abcdef";
  put('"');
  auto run = text.begin();
  while (run != text.end()) {
    // Runs that need no escape go in whole.
    const auto escaped =
        std::find_if(run, text.end(), [](char c) { return needsEscape(static_cast<unsigned char>(c)); });
    put(std::string_view(run, escaped));
    if (escaped == text.end()) break;
    const auto byte = static_cast<unsigned char>(*escaped);
    switch (byte) {
      case '"': put("\\\""); break;
      case '\\': put("\\\\"); break;
      case '\b': put("\\b"); break;
      case '\f': put("\\f"); break;
      case '\n': put("\\n"); break;
      case '\r': put("\\r"); break;
      case '\t': put("\\t"); break;
      default:
        put("\\u00");
        put(hex[byte >> 4]);
        put(hex[byte & 0xF]);
    }
    run = escaped + 1;
  }
  put('"');
  return *this;
}

JsonWriter& JsonWriter::number(double value) {
  if (!std::isfinite(value)) throw std::invalid_argument("JSON cannot hold a non-finite number");
  separate();
  char buffer[longestNumber - 2];  // room for ".0"
  const auto end = std::to_chars(std::begin(buffer), std::end(buffer), value).ptr;
  const std::string_view written(buffer, static_cast<std::size_t>(end - buffer));
  put(written);
  const bool integral = std::none_of(written.begin(), written.end(), [](char c) { return c == '.' || c == 'e'; });
  if (integral && ((std::signbit(value) && value == 0) || written.size() > 15)) put(".0");
  return *this;
}

JsonWriter& JsonWriter::integer(std::int64_t value) {
  separate();
  char buffer[longestNumber];
  const auto end = std::to_chars(std::begin(buffer), std::end(buffer), value).ptr;
  put(std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
  return *this;
}

JsonWriter& JsonWriter::boolean(bool value) {
  separate();
  put(value ? "true" : "false");
  return *this;
}

JsonWriter& JsonWriter::null() {
  separate();
  put("null");
  return *this;
}

}  // namespace velto
