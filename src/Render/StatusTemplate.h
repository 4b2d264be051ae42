// StatusTemplate: a status bar's line with named placeholders in braces, filled from an entry's summary.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "StatusSummary.h"

namespace velto::render {

/// A line such as "{name} {percent}", parsed once and filled for every entry.
class StatusTemplate {
 public:
  /// The account and its figure, whichever the entry shows: "{name} {percent}{balance}{output}".
  static constexpr std::string_view standard = "{name} {percent}{balance}{output}";
  /// The placeholders, each the StatusSummary field of that name.
  static constexpr std::string_view placeholders =
      "{agent}, {name}, {title}, {percent}, {reset}, {updated}, {balance}, {output}";

  /// Parses `text`: "{field}" for a field, "{{" and "}}" for a brace. Throws std::invalid_argument naming
  /// the problem: an unknown placeholder, a "{" without its "}", a "}" without its "{".
  explicit StatusTemplate(std::string_view text);
  /// The standard template.
  StatusTemplate() : StatusTemplate(standard) {}

  /// The line for `summary`, white space at both ends removed (an empty field at an end leaves none behind).
  std::string fill(const StatusSummary& summary) const;

  friend bool operator==(const StatusTemplate&, const StatusTemplate&) = default;

 private:
  enum class Field { agent, name, title, percent, reset, updated, balance, output };
  struct Part {
    std::string literal;
    std::optional<Field> field;  ///< after the literal
    friend bool operator==(const Part&, const Part&) = default;
  };
  std::vector<Part> parts_;
};

}  // namespace velto::render
