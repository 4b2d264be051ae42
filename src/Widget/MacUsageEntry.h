// MacUsageEntry and MacUsageTimeline: what the provider hands the widget host.
#pragma once

#include <string>
#include <vector>

#include "Instant.h"
#include "UsageWidgetSnapshot.h"

namespace velto {

/// One timeline entry: shown from `date` on. Every entry of one timeline carries the same snapshot and
/// provider; the date alone makes them render differently (resets, staleness).
struct MacUsageEntry {
  Instant date = 0;
  UsageWidgetSnapshot snapshot;
  std::string provider;  ///< the agent key; empty for all accounts

  friend bool operator==(const MacUsageEntry&, const MacUsageEntry&) = default;
};

/// Dated entries in ascending order, and when the host should ask for a new timeline.
struct MacUsageTimeline {
  std::vector<MacUsageEntry> entries;
  Instant reloadAfter = 0;

  friend bool operator==(const MacUsageTimeline&, const MacUsageTimeline&) = default;
};

}  // namespace velto
