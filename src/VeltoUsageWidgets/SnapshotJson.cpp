// SnapshotJson: strict decoding with simdjson's DOM (which validates the whole text and bounds the depth)
// and compact encoding in the file format's key order.
#include "SnapshotJson.h"

#include <simdjson.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "JsonWriter.h"

namespace velto {
namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;
using simdjson::dom::object;

// The JSON path of the value being decoded; built up and cut back as decoding descends, and only turned
// into an error message when something is wrong.
class Path {
 public:
  class Scope {
   public:
    Scope(Path& path, std::size_t restore) : path_(path), restore_(restore) {}
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    ~Scope() { path_.text_.resize(restore_); }

   private:
    Path& path_;
    std::size_t restore_;
  };

  [[nodiscard]] Scope member(std::string_view key) {
    const auto restore = text_.size();
    if (!text_.empty()) text_ += '.';
    text_ += key;
    return {*this, restore};
  }
  [[nodiscard]] Scope index(std::size_t i) {
    const auto restore = text_.size();
    text_ += '[';
    text_ += std::to_string(i);
    text_ += ']';
    return {*this, restore};
  }
  [[noreturn]] void fail(std::string problem) const { throw JsonDecodingError(text_, std::move(problem)); }

 private:
  std::string text_;
};

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

[[noreturn]] void expected(const Path& path, std::string_view what, element value) {
  path.fail("expected " + std::string(what) + ", found " + std::string(describe(value.type())));
}

std::string decodeString(element value, const Path& path) {
  std::string_view text;
  if (value.get_string().get(text)) expected(path, "a string", value);
  return std::string(text);
}

double decodeDouble(element value, const Path& path) {
  switch (value.type()) {
    case element_type::INT64: return static_cast<double>(value.get_int64().value_unsafe());
    case element_type::UINT64: return static_cast<double>(value.get_uint64().value_unsafe());
    case element_type::DOUBLE: return value.get_double().value_unsafe();
    default: expected(path, "a number", value);
  }
}

// An integer field takes any JSON number whose value is a whole number within 64 bits (1.0 and 1e2 too).
std::int64_t decodeInteger(element value, const Path& path) {
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

object decodeObject(element value, const Path& path) {
  object result;
  if (value.get_object().get(result)) expected(path, "an object", value);
  return result;
}

simdjson::dom::array decodeArray(element value, const Path& path) {
  simdjson::dom::array result;
  if (value.get_array().get(result)) expected(path, "an array", value);
  return result;
}

// Walks an object's members once, handing each known key's value to `take`; a known key may appear only
// once and every required key must appear. Unknown keys are ignored. `Keys` lists the record's keys in the
// file format's order, and `required` says which of them must be present.
template <std::size_t N, typename Take>
void decodeMembers(element value, Path& path, const std::array<std::string_view, N>& keys,
                   const std::array<bool, N>& required, Take&& take) {
  const object members = decodeObject(value, path);
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

// Optional members: null is the same as absent.
template <typename Decode>
auto decodeOptional(element value, Path& path, Decode&& decode) -> std::optional<decltype(decode(value, path))> {
  if (value.is_null()) return std::nullopt;
  return decode(value, path);
}

template <typename Record, typename Decode>
std::vector<Record> decodeList(element value, Path& path, Decode&& decode) {
  std::vector<Record> records;
  std::size_t i = 0;
  for (const element item : decodeArray(value, path)) {
    const auto scope = path.index(i++);
    records.push_back(decode(item, path));
  }
  return records;
}

UsageWidgetWindow decodeWindow(element value, Path& path) {
  static constexpr std::array<std::string_view, 7> keys{"label", "kind", "model", "percent",
                                                        "resetAt", "observedAt", "tier"};
  static constexpr std::array<bool, 7> required{true, true, true, true, false, false, false};
  UsageWidgetWindow window;
  decodeMembers(value, path, keys, required, [&](std::size_t k, element v, Path& p) {
    switch (k) {
      case 0: window.label = decodeString(v, p); break;
      case 1: window.kind = decodeString(v, p); break;
      case 2: window.model = decodeString(v, p); break;
      case 3: window.percent = decodeDouble(v, p); break;
      case 4: window.resetAt = decodeOptional(v, p, decodeDouble); break;
      case 5: window.observedAt = decodeOptional(v, p, decodeDouble); break;
      default: window.tier = decodeOptional(v, p, decodeString); break;
    }
  });
  return window;
}

UsageWidgetWallet decodeWallet(element value, Path& path) {
  static constexpr std::array<std::string_view, 3> keys{"kind", "currency", "amount"};
  static constexpr std::array<bool, 3> required{true, true, true};
  UsageWidgetWallet wallet;
  decodeMembers(value, path, keys, required, [&](std::size_t k, element v, Path& p) {
    (k == 0 ? wallet.kind : k == 1 ? wallet.currency : wallet.amount) = decodeString(v, p);
  });
  return wallet;
}

UsageWidgetOutput decodeOutput(element value, Path& path) {
  static constexpr std::array<std::string_view, 3> keys{"day", "today", "week"};
  static constexpr std::array<bool, 3> required{true, true, true};
  UsageWidgetOutput output;
  decodeMembers(value, path, keys, required, [&](std::size_t k, element v, Path& p) {
    if (k == 0) {
      output.day = decodeString(v, p);
    } else {
      (k == 1 ? output.today : output.week) = decodeInteger(v, p);
    }
  });
  return output;
}

UsageWidgetAccount decodeAccount(element value, Path& path) {
  static constexpr std::array<std::string_view, 7> keys{"id", "agent", "name", "windows",
                                                        "wallets", "observedAt", "output"};
  static constexpr std::array<bool, 7> required{true, true, true, true, true, false, false};
  UsageWidgetAccount account;
  decodeMembers(value, path, keys, required, [&](std::size_t k, element v, Path& p) {
    switch (k) {
      case 0: account.id = decodeString(v, p); break;
      case 1: account.agent = decodeString(v, p); break;
      case 2: account.name = decodeString(v, p); break;
      case 3: account.windows = decodeList<UsageWidgetWindow>(v, p, decodeWindow); break;
      case 4: account.wallets = decodeList<UsageWidgetWallet>(v, p, decodeWallet); break;
      case 5: account.observedAt = decodeOptional(v, p, decodeDouble); break;
      default: account.output = decodeOptional(v, p, [](element o, Path& q) { return decodeOutput(o, q); });
    }
  });
  return account;
}

UsageWidgetSnapshot decodeSnapshot(element value, Path& path) {
  static constexpr std::array<std::string_view, 4> keys{"schema", "server", "capturedAt", "accounts"};
  static constexpr std::array<bool, 4> required{true, true, true, true};
  UsageWidgetSnapshot snapshot;
  decodeMembers(value, path, keys, required, [&](std::size_t k, element v, Path& p) {
    switch (k) {
      case 0: snapshot.schema = decodeInteger(v, p); break;
      case 1: snapshot.server = decodeString(v, p); break;
      case 2: snapshot.capturedAt = decodeDouble(v, p); break;
      default: snapshot.accounts = decodeList<UsageWidgetAccount>(v, p, decodeAccount);
    }
  });
  return snapshot;
}

// Parses the whole text (a leading UTF-8 byte order mark skipped) and decodes its root with `decode`.
template <typename Decode>
auto decodeDocument(std::string_view json, Decode&& decode) {
  static constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
  if (json.starts_with(byteOrderMark)) json.remove_prefix(byteOrderMark.size());
  simdjson::dom::parser parser;
  element root;
  if (const auto error = parser.parse(json.data(), json.size()).get(root)) {
    throw JsonDecodingError("", std::string("not valid JSON: ") + simdjson::error_message(error));
  }
  Path path;
  return decode(root, path);
}

void encodeWindow(JsonWriter& out, const UsageWidgetWindow& window) {
  out.beginObject();
  out.key("label").string(window.label);
  out.key("kind").string(window.kind);
  out.key("model").string(window.model);
  out.key("percent").number(window.percent);
  if (window.resetAt) out.key("resetAt").number(*window.resetAt);
  if (window.observedAt) out.key("observedAt").number(*window.observedAt);
  if (window.tier) out.key("tier").string(*window.tier);
  out.endObject();
}

void encodeWallet(JsonWriter& out, const UsageWidgetWallet& wallet) {
  out.beginObject();
  out.key("kind").string(wallet.kind);
  out.key("currency").string(wallet.currency);
  out.key("amount").string(wallet.amount);
  out.endObject();
}

void encodeOutput(JsonWriter& out, const UsageWidgetOutput& output) {
  out.beginObject();
  out.key("day").string(output.day);
  out.key("today").integer(output.today);
  out.key("week").integer(output.week);
  out.endObject();
}

void encodeAccount(JsonWriter& out, const UsageWidgetAccount& account) {
  out.beginObject();
  out.key("id").string(account.id);
  out.key("agent").string(account.agent);
  out.key("name").string(account.name);
  out.key("windows").beginArray();
  for (const auto& window : account.windows) encodeWindow(out, window);
  out.endArray();
  out.key("wallets").beginArray();
  for (const auto& wallet : account.wallets) encodeWallet(out, wallet);
  out.endArray();
  if (account.observedAt) out.key("observedAt").number(*account.observedAt);
  if (account.output) {
    out.key("output");
    encodeOutput(out, *account.output);
  }
  out.endObject();
}

void encodeSnapshot(JsonWriter& out, const UsageWidgetSnapshot& snapshot) {
  out.beginObject();
  out.key("schema").integer(snapshot.schema);
  out.key("server").string(snapshot.server);
  out.key("capturedAt").number(snapshot.capturedAt);
  out.key("accounts").beginArray();
  for (const auto& account : snapshot.accounts) encodeAccount(out, account);
  out.endArray();
  out.endObject();
}

template <typename Record, typename Encode>
std::string encodeWith(const Record& record, Encode&& encodeRecord) {
  JsonWriter out;
  encodeRecord(out, record);
  return std::move(out).text();
}

}  // namespace

UsageWidgetSnapshot decodeSnapshot(std::string_view json) {
  return decodeDocument(json, [](element e, Path& p) { return decodeSnapshot(e, p); });
}
UsageWidgetAccount decodeAccount(std::string_view json) {
  return decodeDocument(json, [](element e, Path& p) { return decodeAccount(e, p); });
}
UsageWidgetWindow decodeWindow(std::string_view json) {
  return decodeDocument(json, [](element e, Path& p) { return decodeWindow(e, p); });
}
UsageWidgetWallet decodeWallet(std::string_view json) {
  return decodeDocument(json, [](element e, Path& p) { return decodeWallet(e, p); });
}
UsageWidgetOutput decodeOutput(std::string_view json) {
  return decodeDocument(json, [](element e, Path& p) { return decodeOutput(e, p); });
}

std::string encode(const UsageWidgetSnapshot& snapshot) { return encodeWith(snapshot, encodeSnapshot); }
std::string encode(const UsageWidgetAccount& account) { return encodeWith(account, encodeAccount); }
std::string encode(const UsageWidgetWindow& window) { return encodeWith(window, encodeWindow); }
std::string encode(const UsageWidgetWallet& wallet) { return encodeWith(wallet, encodeWallet); }
std::string encode(const UsageWidgetOutput& output) { return encodeWith(output, encodeOutput); }

}  // namespace velto
