// UsageReport: the raw usage report a collector hands over, decoded into records for the projection alone.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace velto::report {

// The records mirror the report's JSON objects (keys in snake_case there, lowerCamelCase here). They hold the
// values as written: checking them against patterns, limits and the clock is the projection's job. Strings
// are compared byte for byte; nothing here is shown to anyone. Texts view the parser's buffer, so that
// decoding copies none: they live only as long as the call that hands the records over.

/// One quota window of an agent ("limits.windows[i]").
struct RawWindow {
  std::optional<std::string_view> agent;
  std::optional<std::string_view> agentName;
  std::string_view label;
  std::optional<std::string_view> kind;
  std::optional<std::string_view> model;
  double pctUsed = 0;
  std::optional<std::int64_t> resetUnix;
  std::optional<std::int64_t> observedAt;
  std::optional<bool> stale;
  std::optional<std::string_view> tier;

  friend bool operator==(const RawWindow&, const RawWindow&) = default;
};

/// One wallet of a balance reading; the amount stays the decimal text it was written as.
struct RawWallet {
  std::string_view kind;
  std::string_view currency;
  std::string_view amount;

  friend bool operator==(const RawWallet&, const RawWallet&) = default;
};

/// One balance reading of an agent ("limits.balances[i]").
struct RawBalance {
  std::string_view agent;
  std::optional<std::string_view> agentName;
  std::int64_t observedAt = 0;
  std::vector<RawWallet> wallets;

  friend bool operator==(const RawBalance&, const RawBalance&) = default;
};

struct RawLimits {
  std::optional<std::vector<RawWindow>> windows;
  std::optional<std::vector<RawBalance>> balances;

  friend bool operator==(const RawLimits&, const RawLimits&) = default;
};

/// One day covered by the history ("history.days[i]").
struct RawDay {
  std::string_view date;

  friend bool operator==(const RawDay&, const RawDay&) = default;
};

/// Output totals of one agent ("history.by_agent[i]").
struct RawOutput {
  std::optional<std::string_view> agentKey;
  std::optional<std::string_view> agentName;
  std::optional<std::int64_t> todayOut;
  std::optional<std::int64_t> weekOut;

  friend bool operator==(const RawOutput&, const RawOutput&) = default;
};

struct RawHistory {
  std::optional<std::vector<RawDay>> days;
  std::optional<std::vector<RawOutput>> byAgent;
  std::optional<std::int64_t> scannedAt;

  friend bool operator==(const RawHistory&, const RawHistory&) = default;
};

/// The whole report.
struct RawUsage {
  std::optional<RawLimits> limits;
  std::optional<RawHistory> history;

  friend bool operator==(const RawUsage&, const RawUsage&) = default;
};

/// Decodes a report strictly: the whole text must be JSON (simdjson's DOM checks all of it, UTF-8 included,
/// and refuses nesting deeper than 1024) whose root is an object; required keys must be present and not
/// null; strings, numbers and booleans must have their JSON types (booleans only true and false, amounts
/// only strings); integers must be whole numbers within 64 bits (100.0 counts as 100). Null is the same as
/// an absent optional key, unknown keys are ignored, a known key given twice in one object is refused, and a
/// leading UTF-8 byte order mark is skipped. Throws JsonDecodingError naming the path and the problem.
/// Hands the records to `use`: their texts are valid only until it returns.
void decodeRawUsage(std::string_view json, const std::function<void(const RawUsage&)>& use);

}  // namespace velto::report
