// UsageReport: strict decoding of the raw report with simdjson's DOM, which validates the whole text and bounds
// its depth before any value is looked at (On-Demand would do neither, so it is not used for this input).
#include "UsageReport.h"

#include <simdjson.h>

#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "JsonPath.h"

namespace velto::report {
namespace {

using simdjson::dom::element;
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

[[noreturn]] void expected(const JsonPath& path, std::string_view what, element value) {
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

// A whole number within 64 bits, however it is written: simdjson hands 100.0 and 1e2 over as doubles, and a
// positive integer beyond INT64_MAX as an unsigned one.
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

// Only the literals true and false: simdjson gives no other JSON value the boolean type.
bool readBoolean(element value, JsonPath& path) {
  bool flag = false;
  if (value.get_bool().get(flag)) expected(path, "a boolean", value);
  return flag;
}

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

template <typename Read>
auto readOptionalList(element value, JsonPath& path, Read&& read) {
  return readOptional(value, path, [&](element v, JsonPath& p) { return readList(v, p, read); });
}

// Walks an object's members once and hands each known key's value to `take(k, value, path)`, with the path
// already at that member. A known key may appear only once, so that no two readers of one report can disagree
// on its meaning; every required key must appear. Unknown keys are skipped unread.
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

RawWindow readWindow(element value, JsonPath& path) {
  static constexpr std::array<std::string_view, 10> keys{"agent",    "agent_name", "label",       "kind",  "model",
                                                         "pct_used", "reset_unix", "observed_at", "stale", "tier"};
  static constexpr std::array<bool, 10> required{false, false, true, false, false, true, false, false, false, false};
  RawWindow window;
  readMembers(value, path, keys, required, [&](std::size_t k, element v, JsonPath& p) {
    switch (k) {
      case 0: window.agent = readOptional(v, p, readString); break;
      case 1: window.agentName = readOptional(v, p, readString); break;
      case 2: window.label = readString(v, p); break;
      case 3: window.kind = readOptional(v, p, readString); break;
      case 4: window.model = readOptional(v, p, readString); break;
      case 5: window.pctUsed = readNumber(v, p); break;
      case 6: window.resetUnix = readOptional(v, p, readInteger); break;
      case 7: window.observedAt = readOptional(v, p, readInteger); break;
      case 8: window.stale = readOptional(v, p, readBoolean); break;
      default: window.tier = readOptional(v, p, readString); break;
    }
  });
  return window;
}

RawWallet readWallet(element value, JsonPath& path) {
  static constexpr std::array<std::string_view, 3> keys{"kind", "currency", "amount"};
  static constexpr std::array<bool, 3> required{true, true, true};
  RawWallet wallet;
  readMembers(value, path, keys, required, [&](std::size_t k, element v, JsonPath& p) {
    (k == 0 ? wallet.kind : k == 1 ? wallet.currency : wallet.amount) = readString(v, p);
  });
  return wallet;
}

RawBalance readBalance(element value, JsonPath& path) {
  static constexpr std::array<std::string_view, 4> keys{"agent", "agent_name", "observed_at", "wallets"};
  static constexpr std::array<bool, 4> required{true, false, true, true};
  RawBalance balance;
  readMembers(value, path, keys, required, [&](std::size_t k, element v, JsonPath& p) {
    switch (k) {
      case 0: balance.agent = readString(v, p); break;
      case 1: balance.agentName = readOptional(v, p, readString); break;
      case 2: balance.observedAt = readInteger(v, p); break;
      default: balance.wallets = readList(v, p, readWallet); break;
    }
  });
  return balance;
}

RawLimits readLimits(element value, JsonPath& path) {
  static constexpr std::array<std::string_view, 2> keys{"windows", "balances"};
  static constexpr std::array<bool, 2> required{false, false};
  RawLimits limits;
  readMembers(value, path, keys, required, [&](std::size_t k, element v, JsonPath& p) {
    if (k == 0) {
      limits.windows = readOptionalList(v, p, readWindow);
    } else {
      limits.balances = readOptionalList(v, p, readBalance);
    }
  });
  return limits;
}

RawDay readDay(element value, JsonPath& path) {
  static constexpr std::array<std::string_view, 1> keys{"date"};
  static constexpr std::array<bool, 1> required{true};
  RawDay day;
  readMembers(value, path, keys, required, [&](std::size_t, element v, JsonPath& p) { day.date = readString(v, p); });
  return day;
}

RawOutput readOutput(element value, JsonPath& path) {
  static constexpr std::array<std::string_view, 4> keys{"agent_key", "agent_name", "today_out", "week_out"};
  static constexpr std::array<bool, 4> required{false, false, false, false};
  RawOutput output;
  readMembers(value, path, keys, required, [&](std::size_t k, element v, JsonPath& p) {
    switch (k) {
      case 0: output.agentKey = readOptional(v, p, readString); break;
      case 1: output.agentName = readOptional(v, p, readString); break;
      case 2: output.todayOut = readOptional(v, p, readInteger); break;
      default: output.weekOut = readOptional(v, p, readInteger); break;
    }
  });
  return output;
}

RawHistory readHistory(element value, JsonPath& path) {
  static constexpr std::array<std::string_view, 3> keys{"days", "by_agent", "scanned_at"};
  static constexpr std::array<bool, 3> required{false, false, false};
  RawHistory history;
  readMembers(value, path, keys, required, [&](std::size_t k, element v, JsonPath& p) {
    switch (k) {
      case 0: history.days = readOptionalList(v, p, readDay); break;
      case 1: history.byAgent = readOptionalList(v, p, readOutput); break;
      default: history.scannedAt = readOptional(v, p, readInteger); break;
    }
  });
  return history;
}

RawUsage readUsage(element value, JsonPath& path) {
  static constexpr std::array<std::string_view, 2> keys{"limits", "history"};
  static constexpr std::array<bool, 2> required{false, false};
  RawUsage usage;
  readMembers(value, path, keys, required, [&](std::size_t k, element v, JsonPath& p) {
    if (k == 0) {
      usage.limits = readOptional(v, p, readLimits);
    } else {
      usage.history = readOptional(v, p, readHistory);
    }
  });
  return usage;
}

}  // namespace

RawUsage decodeRawUsage(std::string_view json) {
  // The snapshot reader skips a byte order mark too; a collector that writes one means no harm by it.
  static constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
  if (json.starts_with(byteOrderMark)) json.remove_prefix(byteOrderMark.size());
  simdjson::dom::parser parser;
  element root;
  if (const auto error = parser.parse(json.data(), json.size()).get(root)) {
    throw JsonDecodingError("", std::string("not valid JSON: ") + simdjson::error_message(error));
  }
  JsonPath path;
  return readUsage(root, path);
}

}  // namespace velto::report
