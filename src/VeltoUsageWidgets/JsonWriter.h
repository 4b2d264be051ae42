// JsonWriter: compact JSON text, written in one pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velto {

/// Appends values to a compact JSON text (no white space), placing commas itself. The caller keeps the
/// structure balanced. Text must be valid UTF-8 and numbers finite; otherwise std::invalid_argument.
class JsonWriter {
 public:
  /// What the writer keeps: the text, or only its length in bytes (for a size check, without the text).
  enum class Output { text, sizeOnly };
  explicit JsonWriter(Output output = Output::text) : sizeOnly_(output == Output::sizeOnly) {}

  /// The longest text that number() or integer() writes.
  static constexpr std::size_t longestNumber = 34;
  /// The most bytes that one byte of a string becomes ("\u001f").
  static constexpr std::size_t longestEscape = 6;
  /// At most how many bytes string() writes for `text` between its quotes, counted without writing anything:
  /// exact but for the controls that have a two-byte escape ("\n"), which it counts at six ("\u000a").
  static std::size_t escapedSizeBound(std::string_view text);

  JsonWriter& beginObject();
  JsonWriter& endObject();
  JsonWriter& beginArray();
  JsonWriter& endArray();
  /// The key of the next member of the current object.
  JsonWriter& key(std::string_view name);
  JsonWriter& string(std::string_view text);
  /// The shortest text that reads back as the same double; -0 and integral values beyond 15 digits carry
  /// ".0" so that readers take them as doubles, not as (possibly overflowing) integers.
  JsonWriter& number(double value);
  JsonWriter& integer(std::int64_t value);
  JsonWriter& boolean(bool value);
  JsonWriter& null();

  /// Room for `bytes` of text, so that a text of about that length is written without growing.
  void reserve(std::size_t bytes) { out_.reserve(sizeOnly_ ? 0 : bytes); }

  const std::string& text() const& { return out_; }
  std::string text() && { return std::move(out_); }
  /// The length of the text written so far, in bytes, in either output.
  std::size_t size() const { return sizeOnly_ ? size_ : out_.size(); }

 private:
  void separate();
  void put(std::string_view bytes);
  void put(char byte) { put(std::string_view(&byte, 1)); }
  std::string out_;
  std::size_t size_ = 0;  // with Output::sizeOnly
  bool sizeOnly_;
  std::size_t depth_ = 0;  // open containers
  bool comma_ = false;     // the next value or key follows a sibling in an open container
};

}  // namespace velto
