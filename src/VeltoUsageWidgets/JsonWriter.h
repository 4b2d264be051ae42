// JsonWriter: compact JSON text, written in one pass.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

/// Appends values to a compact JSON text (no white space), placing commas itself. The caller keeps the
/// structure balanced. Text must be valid UTF-8 and numbers finite; otherwise std::invalid_argument.
class JsonWriter {
 public:
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

  const std::string& text() const& { return out_; }
  std::string text() && { return std::move(out_); }

 private:
  void separate();
  std::string out_;
  std::vector<bool> hasMembers_;  // one flag per open container
  bool afterKey_ = false;
};

}  // namespace velto
