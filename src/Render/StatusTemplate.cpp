// StatusTemplate: a small brace parser, and the fields it names.
#include "StatusTemplate.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

namespace velto::render {
namespace {

constexpr std::string_view blanks = " \t";

}  // namespace

StatusTemplate::StatusTemplate(std::string_view text) {
  static constexpr std::array<std::pair<std::string_view, Field>, 8> names{{{"agent", Field::agent},
                                                                            {"name", Field::name},
                                                                            {"title", Field::title},
                                                                            {"percent", Field::percent},
                                                                            {"reset", Field::reset},
                                                                            {"updated", Field::updated},
                                                                            {"balance", Field::balance},
                                                                            {"output", Field::output}}};
  Part part;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool doubled = i + 1 < text.size() && text[i + 1] == c;
    if ((c != '{' && c != '}') || doubled) {
      part.literal += c;
      i += doubled ? 1 : 0;
      continue;
    }
    const std::string position = "at character " + std::to_string(i + 1) + " of the template";
    if (c == '}') throw std::invalid_argument("a \"}\" " + position + " closes nothing; write }} for a brace");
    const auto close = text.find('}', i);
    const auto nextOpen = text.find('{', i + 1);
    if (close == std::string_view::npos || nextOpen < close) {
      throw std::invalid_argument("a \"{\" " + position + " is not closed; write {{ for a brace");
    }
    const auto name = text.substr(i + 1, close - i - 1);
    const auto known = std::find_if(names.begin(), names.end(), [&](const auto& entry) { return entry.first == name; });
    if (known == names.end()) {
      throw std::invalid_argument("unknown placeholder {" + std::string(name) +
                                  "} in the template; the placeholders are " + std::string(placeholders));
    }
    part.field = known->second;
    parts_.push_back(std::move(part));
    part = {};
    i = close;
  }
  if (!part.literal.empty()) parts_.push_back(std::move(part));
}

std::string StatusTemplate::fill(const StatusSummary& summary) const {
  std::string line;
  for (const auto& part : parts_) {
    line += part.literal;
    if (!part.field) continue;
    switch (*part.field) {
      case Field::agent: line += summary.agent; break;
      case Field::name: line += summary.name; break;
      case Field::title: line += summary.title; break;
      case Field::percent: line += summary.percent; break;
      case Field::reset: line += summary.reset; break;
      case Field::updated: line += summary.updated; break;
      case Field::balance: line += summary.balance; break;
      case Field::output: line += summary.output; break;
    }
  }
  const auto first = line.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  return line.substr(first, line.find_last_not_of(blanks) - first + 1);
}

}  // namespace velto::render
