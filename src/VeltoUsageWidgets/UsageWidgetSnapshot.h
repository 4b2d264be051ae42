// UsageWidgetSnapshot and its four child records: the one value that travels from the host to the widget.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Instant.h"
#include "TimeZone.h"

namespace velto {

// Equality of every record is memberwise; text compares by Unicode canonical equivalence, lists element by
// element in order, doubles as doubles (so NaN is unequal to itself and -0 equals 0).

/// One quota window of an account.
struct UsageWidgetWindow {
  std::string label;
  std::string kind;
  std::string model;
  double percent = 0;  ///< share used, in percent, 0 to 1000; never clamped
  std::optional<Instant> resetAt;
  std::optional<Instant> observedAt;  ///< absent: as old as the snapshot
  std::optional<std::string> tier;    ///< "warn" or "full"

  /// True when the window's own reading is at least 900 seconds old or more than 300 seconds ahead of `now`.
  bool stale(Instant now) const;
  /// True when the window has a reset time and it is not after `now`.
  bool expired(Instant now) const;

  friend bool operator==(const UsageWidgetWindow&, const UsageWidgetWindow&);
};

/// One balance of an account; the amount is a decimal number written as text.
struct UsageWidgetWallet {
  std::string kind;
  std::string currency;
  std::string amount;

  friend bool operator==(const UsageWidgetWallet&, const UsageWidgetWallet&);
};

/// Output tokens recorded on this machine for an account.
struct UsageWidgetOutput {
  std::string day;  ///< the local day that `today` counts, "yyyy-MM-dd"
  std::int64_t today = 0;
  std::int64_t week = 0;

  /// True when the counts are consistent and `day` is a real calendar date.
  bool isValid() const;

  friend bool operator==(const UsageWidgetOutput&, const UsageWidgetOutput&);
};

/// One agent account; `id` is unique within a snapshot.
struct UsageWidgetAccount {
  std::string id;
  std::string agent;
  std::string name;
  std::vector<UsageWidgetWindow> windows;
  std::vector<UsageWidgetWallet> wallets;
  std::optional<Instant> observedAt;
  std::optional<UsageWidgetOutput> output;

  friend bool operator==(const UsageWidgetAccount&, const UsageWidgetAccount&);
};

/// The whole snapshot file. Built by the program, `schema` is always 1; the decoder takes it from the file.
struct UsageWidgetSnapshot {
  std::int64_t schema = 1;
  std::string server;
  Instant capturedAt = 0;
  std::vector<UsageWidgetAccount> accounts;

  /// Largest snapshot file, in bytes, that the store writes or reads.
  static constexpr std::size_t maximumBytes = 65536;
  /// Age in seconds after which a reading counts as stale.
  static constexpr double staleInterval = 900.0;
  /// How far ahead of now, in seconds, a reading time may lie before it counts as stale.
  static constexpr double futureTolerance = 300.0;

  /// The snapshot shown when nothing usable is stored: schema 1, no server, captured at 0, no accounts.
  static UsageWidgetSnapshot empty() { return {}; }

  /// This snapshot unchanged when every value rule holds, otherwise nothing.
  std::optional<UsageWidgetSnapshot> validated() const;

  /// True when the snapshot as a whole is stale at `now`: never captured, captured more than 300 seconds
  /// ahead of `now`, or at least 900 seconds ago.
  bool isStale(Instant now) const;

  /// The instants after `after` at which what the widget shows changes by itself (a reading turns stale, a
  /// window resets, the local day in `zone` rolls over): strictly later than `after`, without duplicates,
  /// ascending, at most 12.
  std::vector<Instant> transitionDates(Instant after, const platform::TimeZone& zone) const;
  /// The same in the user's time zone.
  std::vector<Instant> transitionDates(Instant after) const;

  /// The accounts of `agent`, in snapshot order; every account when `agent` is empty.
  std::vector<UsageWidgetAccount> selected(std::string_view agent) const;

  friend bool operator==(const UsageWidgetSnapshot&, const UsageWidgetSnapshot&);
};

}  // namespace velto
