// JsonReading: the typed readers, each naming what it expected and what it found.
#include "JsonReading.h"

#include <cmath>

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

}  // namespace

void expected(const JsonPath& path, std::string_view what, element value) {
  path.fail("expected " + std::string(what) + ", found " + std::string(describe(value.type())));
}

std::string readString(element value, JsonPath& path) {
  std::string_view text;
  if (value.get_string().get(text)) expected(path, "a string", value);
  return std::string(text);
}

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
    case element_type::UINT64: path.fail("integer does not fit in 64 bits");
    case element_type::DOUBLE: {
      const double number = value.get_double().value_unsafe();
      if (number != std::trunc(number)) path.fail("expected an integer, found a fraction");
      if (number < -0x1p63 || number >= 0x1p63) path.fail("integer does not fit in 64 bits");
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
