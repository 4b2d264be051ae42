// UsageReport: strict decoding of the raw report.
#include "UsageReport.h"

#include "JsonReading.h"

namespace velto::report {
namespace {

using namespace velto::json;

template <typename Read>
auto readOptionalList(element value, JsonPath& path, Read&& read) {
  return readOptional(value, path, [&](element v, JsonPath& p) { return readList(v, p, read); });
}

RawWindow readWindow(element value, JsonPath& path) {
  static constexpr std::array<std::string_view, 10> keys{"agent",    "agent_name", "label",       "kind",  "model",
                                                         "pct_used", "reset_unix", "observed_at", "stale", "tier"};
  static constexpr std::array<bool, 10> required{false, false, true, false, false, true, false, false, false, false};
  RawWindow window;
  readMembers(value, path, keys, required, [&](std::size_t k, element v, JsonPath& p) {
    switch (k) {
      case 0: window.agent = readOptional(v, p, readStringView); break;
      case 1: window.agentName = readOptional(v, p, readStringView); break;
      case 2: window.label = readStringView(v, p); break;
      case 3: window.kind = readOptional(v, p, readStringView); break;
      case 4: window.model = readOptional(v, p, readStringView); break;
      case 5: window.pctUsed = readNumber(v, p); break;
      case 6: window.resetUnix = readOptional(v, p, readInteger); break;
      case 7: window.observedAt = readOptional(v, p, readInteger); break;
      case 8: window.stale = readOptional(v, p, readBoolean); break;
      default: window.tier = readOptional(v, p, readStringView); break;
    }
  });
  return window;
}

RawWallet readWallet(element value, JsonPath& path) {
  static constexpr std::array<std::string_view, 3> keys{"kind", "currency", "amount"};
  static constexpr std::array<bool, 3> required{true, true, true};
  RawWallet wallet;
  readMembers(value, path, keys, required, [&](std::size_t k, element v, JsonPath& p) {
    (k == 0 ? wallet.kind : k == 1 ? wallet.currency : wallet.amount) = readStringView(v, p);
  });
  return wallet;
}

RawBalance readBalance(element value, JsonPath& path) {
  static constexpr std::array<std::string_view, 4> keys{"agent", "agent_name", "observed_at", "wallets"};
  static constexpr std::array<bool, 4> required{true, false, true, true};
  RawBalance balance;
  readMembers(value, path, keys, required, [&](std::size_t k, element v, JsonPath& p) {
    switch (k) {
      case 0: balance.agent = readStringView(v, p); break;
      case 1: balance.agentName = readOptional(v, p, readStringView); break;
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
  readMembers(value, path, keys, required, [&](std::size_t, element v, JsonPath& p) { day.date = readStringView(v, p); });
  return day;
}

RawOutput readOutput(element value, JsonPath& path) {
  static constexpr std::array<std::string_view, 4> keys{"agent_key", "agent_name", "today_out", "week_out"};
  static constexpr std::array<bool, 4> required{false, false, false, false};
  RawOutput output;
  readMembers(value, path, keys, required, [&](std::size_t k, element v, JsonPath& p) {
    switch (k) {
      case 0: output.agentKey = readOptional(v, p, readStringView); break;
      case 1: output.agentName = readOptional(v, p, readStringView); break;
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

void decodeRawUsage(std::string_view json, const std::function<void(const RawUsage&)>& use) {
  // The parser stays lent, and its buffer alive, until the records have been used.
  decodeDocument(json, [&](element root, JsonPath& path) { use(readUsage(root, path)); });
}

}  // namespace velto::report
