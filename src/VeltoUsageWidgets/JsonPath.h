// JsonPath: where a decoder stands in a JSON document, for the error it throws when something is wrong there.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "JsonDecodingError.h"

namespace velto {

/// The path of the value being decoded ("limits.windows[3].pct_used"; empty for the whole document). It is
/// extended and cut back as decoding descends, and only turned into a message when decoding fails, so a
/// document that decodes costs no string building beyond the path's own buffer.
class JsonPath {
 public:
  /// Restores the path to what it was when the scope was opened.
  class Scope {
   public:
    Scope(JsonPath& path, std::size_t restore) : path_(path), restore_(restore) {}
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    ~Scope() { path_.text_.resize(restore_); }

   private:
    JsonPath& path_;
    std::size_t restore_;
  };

  /// Descends into the member `key` of an object until the returned scope ends.
  [[nodiscard]] Scope member(std::string_view key) {
    const auto restore = text_.size();
    if (!text_.empty()) text_ += '.';
    text_ += key;
    return {*this, restore};
  }

  /// Descends into element `i` of an array until the returned scope ends.
  [[nodiscard]] Scope index(std::size_t i) {
    const auto restore = text_.size();
    text_ += '[';
    text_ += std::to_string(i);
    text_ += ']';
    return {*this, restore};
  }

  const std::string& text() const noexcept { return text_; }

  /// Throws JsonDecodingError for the value at this path.
  [[noreturn]] void fail(std::string problem) const { throw JsonDecodingError(text_, std::move(problem)); }

 private:
  std::string text_;
};

}  // namespace velto
