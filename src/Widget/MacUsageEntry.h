// MacUsageEntry and MacUsageTimeline: what the provider hands the widget host.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Instant.h"
#include "UsageWidgetSnapshot.h"

namespace velto {

/// A snapshot as entries hold it: read once and shared, never copied per entry.
using SharedSnapshot = std::shared_ptr<const UsageWidgetSnapshot>;

/// `snapshot`, moved into a SharedSnapshot.
inline SharedSnapshot share(UsageWidgetSnapshot snapshot) {
  return std::make_shared<const UsageWidgetSnapshot>(std::move(snapshot));
}

/// One timeline entry: shown from `date` on. Every entry of one timeline shares the same snapshot and
/// provider; the date alone makes them render differently (resets, staleness).
struct MacUsageEntry {
  Instant date = 0;
  SharedSnapshot snapshot = share(UsageWidgetSnapshot::empty());  ///< never null
  std::string provider;  ///< the agent key; empty for all accounts

  /// Equal by value: the snapshots' contents, not where they are kept.
  friend bool operator==(const MacUsageEntry& a, const MacUsageEntry& b) {
    return a.date == b.date && a.provider == b.provider &&
           (a.snapshot == b.snapshot || *a.snapshot == *b.snapshot);
  }
};

/// Dated entries in ascending order, and when the host should ask for a new timeline.
struct MacUsageTimeline {
  std::vector<MacUsageEntry> entries;
  Instant reloadAfter = 0;

  friend bool operator==(const MacUsageTimeline&, const MacUsageTimeline&) = default;
};

}  // namespace velto
