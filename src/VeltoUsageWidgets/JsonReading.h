// JsonReading: the strict typed readers our decoders share, over simdjson's DOM (which validates the whole
// text and bounds its depth before any value is looked at; On-Demand would do neither, so it is not used).
#pragma once

#include <simdjson.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "JsonPath.h"

namespace velto::json {

using simdjson::dom::element;

/// When the parser refused `text` for a number, throws JsonDecodingError at the path of the first number it
/// refuses: "integer out of range (more than 64 bits)", "number out of range" (beyond a double) or "not a valid
/// number". Returns when it finds none, for the caller to refuse the whole document.
void refuseNumber(std::string_view text);

/// The parser of the calling thread, lent for one document at a time: kept across documents, so that its
/// buffers are made once for a widget's requests, and given back fresh after a document larger than a
/// snapshot, so that a host that once read a 2 MiB report does not keep its buffers all day. A document
/// decoded while another is (which no decoder does) gets a parser of its own.
class ParserLease {
 public:
  ParserLease();
  ~ParserLease();
  ParserLease(const ParserLease&) = delete;
  ParserLease& operator=(const ParserLease&) = delete;

  simdjson::dom::parser& parser() { return *parser_; }

 private:
  simdjson::dom::parser* parser_;
  std::unique_ptr<simdjson::dom::parser> own_;  ///< only while the thread's parser is lent already
};

/// Parses a whole JSON text, skipping a leading UTF-8 byte order mark, and hands its root to
/// `decode(root, path)`. Text that is not JSON throws JsonDecodingError for the whole document, or for the
/// number that is not one the parser can hold. `readable` is how many allocated bytes follow the text: with
/// at least SIMDJSON_PADDING the parser reads the text in place, otherwise it works on a padded copy.
template <typename Decode>
auto decodeDocument(std::string_view text, Decode&& decode, std::size_t readable = 0) {
  static constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(byteOrderMark)) text.remove_prefix(byteOrderMark.size());
  ParserLease lease;
  element root;
  const auto parsed = readable >= simdjson::SIMDJSON_PADDING
                          ? lease.parser().parse(simdjson::padded_string_view(text.data(), text.size(),
                                                                              text.size() + readable))
                          : lease.parser().parse(text.data(), text.size());
  if (const auto error = parsed.get(root)) {
    if (error == simdjson::NUMBER_ERROR) refuseNumber(text);
    throw JsonDecodingError("", std::string("not valid JSON: ") + simdjson::error_message(error));
  }
  JsonPath path;
  return decode(root, path);
}

/// Throws "expected WHAT, found <the value's JSON type>" at `path`.
[[noreturn]] void expected(const JsonPath& path, std::string_view what, element value);

std::string readString(element value, JsonPath& path);
/// The string as a view of the parser's buffer, valid until the parser's next document.
std::string_view readStringView(element value, JsonPath& path);
/// Any JSON number.
double readNumber(element value, JsonPath& path);
/// A whole number within 64 bits, however it is written (100, 100.0, 1e2).
std::int64_t readInteger(element value, JsonPath& path);
/// Only the literals true and false.
bool readBoolean(element value, JsonPath& path);

/// An optional member: null is the same as absent.
template <typename Read>
auto readOptional(element value, JsonPath& path, Read&& read) -> std::optional<decltype(read(value, path))> {
  if (value.is_null()) return std::nullopt;
  return read(value, path);
}

template <typename Read>
auto readList(element value, JsonPath& path, Read&& read) {
  simdjson::dom::array items;
  if (value.get_array().get(items)) expected(path, "an array", value);
  std::vector<decltype(read(value, path))> records;
  records.reserve(items.size());
  std::size_t i = 0;
  for (const element item : items) {
    const auto scope = path.index(i++);
    records.push_back(read(item, path));
  }
  return records;
}

/// Walks an object's members once and hands each known key's value to `take(k, value, path)`, with the path
/// at that member; `keys` lists the record's keys and `required` which must appear. A known key may appear
/// only once, so that no two readers of one document can disagree on what it says. Unknown keys are skipped.
template <std::size_t N, typename Take>
void readMembers(element value, JsonPath& path, const std::array<std::string_view, N>& keys,
                 const std::array<bool, N>& required, Take&& take) {
  simdjson::dom::object members;
  if (value.get_object().get(members)) expected(path, "an object", value);
  std::array<bool, N> seen{};
  for (const auto member : members) {
    for (std::size_t k = 0; k < N; ++k) {
      if (member.key != keys[k]) continue;
      const auto scope = path.member(keys[k]);
      if (seen[k]) path.fail("duplicate key");
      seen[k] = true;
      take(k, member.value, path);
      break;
    }
  }
  for (std::size_t k = 0; k < N; ++k) {
    if (required[k] && !seen[k]) {
      const auto scope = path.member(keys[k]);
      path.fail("missing required key");
    }
  }
}

}  // namespace velto::json
