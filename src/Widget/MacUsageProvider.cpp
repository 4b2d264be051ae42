// MacUsageProvider: one read of the store per request, then plain functions of what was read.
#include "MacUsageProvider.h"

#include "UsageWidgetSelection.h"

namespace velto {

MacUsageEntry MacUsageProvider::placeholder(Instant now) { return {now, share(UsageWidgetSnapshot::empty()), ""}; }

MacUsageEntry MacUsageProvider::snapshot(const MacUsageConfiguration& configuration, Instant now,
                                         const UsageSnapshotStore& store) {
  return {now, share(store.read().value_or(UsageWidgetSnapshot::empty())),
          UsageWidgetSelection::provider(configuration.agent)};
}

MacUsageTimeline MacUsageProvider::timeline(const MacUsageConfiguration& configuration, Instant now,
                                            const UsageSnapshotStore& store, const platform::TimeZone& zone) {
  const MacUsageEntry current = snapshot(configuration, now, store);
  MacUsageTimeline timeline{{current}, now + reloadInterval};
  for (const Instant date : current.snapshot->transitionDates(now, zone)) {
    timeline.entries.push_back({date, current.snapshot, current.provider});
  }
  return timeline;
}

}  // namespace velto
