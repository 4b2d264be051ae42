// MacUsageProvider: answers the widget host's placeholder, snapshot and timeline requests.
#pragma once

#include "Instant.h"
#include "MacUsageConfiguration.h"
#include "MacUsageEntry.h"
#include "TimeZone.h"
#include "UsageSnapshotStore.h"

namespace velto {

/// Stateless. Each request is a plain function of the instant it was made at (read once, by the caller), the
/// store (resolved afresh per request) and the configured value; nothing fails: an unreadable store gives
/// the empty snapshot.
struct MacUsageProvider {
  /// How long after a timeline request the host is asked to come back.
  static constexpr double reloadInterval = UsageWidgetSnapshot::staleInterval;

  /// An entry at `now` with the empty snapshot, for every configuration; touches no file.
  static MacUsageEntry placeholder(Instant now);

  /// One entry at `now` with what the store holds.
  static MacUsageEntry snapshot(const MacUsageConfiguration& configuration, Instant now,
                                const UsageSnapshotStore& store);

  /// An entry at `now` and one at each transition date after it (in `zone`), reload at `now` + 900 s.
  static MacUsageTimeline timeline(const MacUsageConfiguration& configuration, Instant now,
                                   const UsageSnapshotStore& store, const platform::TimeZone& zone);
};

}  // namespace velto
