// JsonReading: the typed readers, each naming what it expected and what it found.
#include "JsonReading.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

namespace velto::json {
namespace {

using simdjson::dom::element_type;

std::string_view describe(element_type type) {
  switch (type) {
    case element_type::ARRAY: return "an array";
    case element_type::OBJECT: return "an object";
    case element_type::INT64:
    case element_type::UINT64:
    case element_type::DOUBLE: return "a number";
    case element_type::STRING: return "a string";
    case element_type::BOOL: return "a boolean";
    case element_type::NULL_VALUE: return "null";
  }
  return "something else";
}

constexpr std::string_view integerOutOfRange = "integer out of range (more than 64 bits)";
constexpr int deepestWalk = 1024;  // the parser's own depth limit

bool isDigit(char c) { return c >= '0' && c <= '9'; }

/// True when `token` has JSON's number form: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
bool hasNumberForm(std::string_view token) {
  std::size_t at = 0;
  const auto digits = [&] {
    const std::size_t from = at;
    while (at < token.size() && isDigit(token[at])) ++at;
    return at > from;
  };
  if (at < token.size() && token[at] == '-') ++at;
  if (at < token.size() && token[at] == '0') {
    ++at;
  } else if (!digits()) {
    return false;
  }
  if (at < token.size() && token[at] == '.' && (++at, !digits())) return false;
  if (at < token.size() && (token[at] == 'e' || token[at] == 'E')) {
    ++at;
    if (at < token.size() && (token[at] == '+' || token[at] == '-')) ++at;
    if (!digits()) return false;
  }
  return at == token.size();
}

/// Why the parser refuses the number `token`; nothing when it takes it.
std::optional<std::string_view> numberProblem(std::string_view token) {
  if (!hasNumberForm(token)) return "not a valid number";
  const char* end = token.data() + token.size();
  if (token.find_first_of(".eE") == std::string_view::npos) {
    // The parser holds integers from -2^63 to 2^64 - 1.
    std::int64_t signedValue = 0;
    std::uint64_t unsignedValue = 0;
    if (std::from_chars(token.data(), end, signedValue).ec == std::errc() ||
        std::from_chars(token.data(), end, unsignedValue).ec == std::errc()) {
      return std::nullopt;
    }
    return integerOutOfRange;
  }
  // Beyond a double's range only upwards: a number too small for one is read as zero.
  double value = 0;
  const auto exponent = token.find_first_of("eE");
  if (std::from_chars(token.data(), end, value).ec == std::errc::result_out_of_range &&
      (exponent == std::string_view::npos || token[exponent + 1] != '-')) {
    return "number out of range";
  }
  return std::nullopt;
}

/// The token without the white space that On-Demand hands over with it.
std::string_view withoutTrailingSpace(std::string_view token) {
  const auto end = token.find_last_not_of(" \t\n\r");
  return token.substr(0, end == std::string_view::npos ? 0 : end + 1);
}

// Walks `value` in document order and throws at the first number the parser refuses. The text up to that number
// is well-formed (the parser went through it), so the walk gets there; it gives up quietly on anything else.
void walkToRefusedNumber(simdjson::ondemand::value value, JsonPath& path, int depth) {
  simdjson::ondemand::json_type type;
  if (depth > deepestWalk || value.type().get(type)) return;
  switch (type) {
    case simdjson::ondemand::json_type::object: {
      simdjson::ondemand::object object;
      if (value.get_object().get(object)) return;
      for (auto field : object) {
        std::string_view key;
        simdjson::ondemand::value member;
        if (field.unescaped_key().get(key) || field.value().get(member)) return;
        const auto scope = path.member(key);
        walkToRefusedNumber(member, path, depth + 1);
      }
      return;
    }
    case simdjson::ondemand::json_type::array: {
      simdjson::ondemand::array array;
      if (value.get_array().get(array)) return;
      std::size_t i = 0;
      for (auto item : array) {
        simdjson::ondemand::value element;
        if (item.get(element)) return;
        const auto scope = path.index(i++);
        walkToRefusedNumber(element, path, depth + 1);
      }
      return;
    }
    case simdjson::ondemand::json_type::number:
      if (const auto problem = numberProblem(withoutTrailingSpace(value.raw_json_token()))) {
        path.fail(std::string(*problem));
      }
      return;
    default: return;
  }
}

}  // namespace

namespace {

/// The largest document whose buffers a thread's parser keeps: a whole snapshot file.
constexpr std::size_t keptCapacity = std::size_t{64} << 10;

struct ThreadParser {
  simdjson::dom::parser parser;
  bool lent = false;
};

ThreadParser& threadParser() {
  thread_local ThreadParser kept;
  return kept;
}

}  // namespace

ParserLease::ParserLease() {
  ThreadParser& kept = threadParser();
  if (kept.lent) {
    own_ = std::make_unique<simdjson::dom::parser>();
    parser_ = own_.get();
    return;
  }
  kept.lent = true;
  parser_ = &kept.parser;
}

ParserLease::~ParserLease() {
  if (own_) return;
  ThreadParser& kept = threadParser();
  if (kept.parser.capacity() > keptCapacity) kept.parser = simdjson::dom::parser();
  kept.lent = false;
}

void refuseNumber(std::string_view text) {
  // Only to say where: the text is already refused, whatever the On-Demand parser would accept of it.
  const simdjson::padded_string padded(text);
  simdjson::ondemand::parser parser;
  simdjson::ondemand::document document;
  if (parser.iterate(padded).get(document)) return;
  JsonPath path;
  simdjson::ondemand::json_type type;
  if (document.type().get(type)) return;
  if (type == simdjson::ondemand::json_type::number) {
    std::string_view token;
    if (document.raw_json_token().get(token)) return;
    if (const auto problem = numberProblem(withoutTrailingSpace(token))) path.fail(std::string(*problem));
    return;
  }
  simdjson::ondemand::value root;
  if (document.get_value().get(root)) return;
  walkToRefusedNumber(root, path, 0);
}

void expected(const JsonPath& path, std::string_view what, element value) {
  path.fail("expected " + std::string(what) + ", found " + std::string(describe(value.type())));
}

std::string_view readStringView(element value, JsonPath& path) {
  std::string_view text;
  if (value.get_string().get(text)) expected(path, "a string", value);
  return text;
}

std::string readString(element value, JsonPath& path) { return std::string(readStringView(value, path)); }

double readNumber(element value, JsonPath& path) {
  switch (value.type()) {
    case element_type::INT64: return static_cast<double>(value.get_int64().value_unsafe());
    case element_type::UINT64: return static_cast<double>(value.get_uint64().value_unsafe());
    case element_type::DOUBLE: return value.get_double().value_unsafe();
    default: expected(path, "a number", value);
  }
}

// simdjson hands 100.0 and 1e2 over as doubles, and a positive integer beyond INT64_MAX as an unsigned one.
std::int64_t readInteger(element value, JsonPath& path) {
  switch (value.type()) {
    case element_type::INT64: return value.get_int64().value_unsafe();
    case element_type::UINT64: path.fail(std::string(integerOutOfRange));
    case element_type::DOUBLE: {
      const double number = value.get_double().value_unsafe();
      if (number != std::trunc(number)) path.fail("expected an integer, found a fraction");
      if (number < -0x1p63 || number >= 0x1p63) path.fail(std::string(integerOutOfRange));
      return static_cast<std::int64_t>(number);
    }
    default: expected(path, "an integer", value);
  }
}

// simdjson gives no JSON value but the literals true and false the boolean type.
bool readBoolean(element value, JsonPath& path) {
  bool flag = false;
  if (value.get_bool().get(flag)) expected(path, "a boolean", value);
  return flag;
}

}  // namespace velto::json
