// JsonPath: where a decoder stands in a JSON document, for the error it throws when something is wrong there.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "JsonDecodingError.h"

namespace velto {

/// The path of the value being decoded ("limits.windows[3].pct_used"; empty for the whole document). It is
/// extended and cut back as decoding descends, one step at a time, and spelt out only when decoding fails.
class JsonPath {
 public:
  JsonPath() { steps_.reserve(8); }  // deeper than any record of ours, so one allocation per document

  /// Restores the path to what it was when the scope was opened.
  class Scope {
   public:
    Scope(JsonPath& path, std::size_t restore) : path_(path), restore_(restore) {}
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    ~Scope() { path_.steps_.resize(restore_); }

   private:
    JsonPath& path_;
    std::size_t restore_;
  };

  /// Descends into the member `key` of an object until the returned scope ends; `key` must live as long.
  [[nodiscard]] Scope member(std::string_view key) { return push({.key = key}); }

  /// Descends into element `i` of an array until the returned scope ends.
  [[nodiscard]] Scope index(std::size_t i) { return push({.index = i, .isIndex = true}); }

  /// The path spelt out.
  std::string text() const {
    std::string spelt;
    for (const Step& step : steps_) {
      if (step.isIndex) {
        spelt += '[' + std::to_string(step.index) + ']';
      } else {
        if (!spelt.empty()) spelt += '.';
        spelt += step.key;
      }
    }
    return spelt;
  }

  /// Throws JsonDecodingError for the value at this path.
  [[noreturn]] void fail(std::string problem) const { throw JsonDecodingError(text(), std::move(problem)); }

 private:
  struct Step {
    std::string_view key;
    std::size_t index = 0;
    bool isIndex = false;
  };

  Scope push(Step step) {
    steps_.push_back(step);
    return {*this, steps_.size() - 1};
  }

  std::vector<Step> steps_;
};

}  // namespace velto
