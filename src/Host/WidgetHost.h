// WidgetHost: what the desktop does with a widget: keeps its configuration, asks for timelines, and shows at
// each instant the entry whose date has come.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "MacUsageConfiguration.h"
#include "MacUsageEntry.h"
#include "TimeZone.h"
#include "UsageSnapshotStore.h"

namespace velto {

/// A host for widget instances, with the clock, the store and the time zone injected so that it can be
/// driven in tests without waiting. Not thread-safe: one loop owns it.
class WidgetHost {
 public:
  using Clock = std::function<Instant()>;
  /// Resolves the store anew for each request, as the widget expects.
  using StoreResolver = std::function<UsageSnapshotStore()>;
  using Instance = std::size_t;

  WidgetHost(Clock clock, StoreResolver store, platform::TimeZone zone);

  /// Places a widget instance with `configuration` (absent agent: never configured).
  Instance place(MacUsageConfiguration configuration = {});
  /// The user picked another value in the instance's edit panel: its timeline is asked for again.
  void configure(Instance instance, MacUsageConfiguration configuration);
  MacUsageConfiguration configuration(Instance instance) const;

  /// The options offered in the edit panel, and the value a new widget starts from.
  std::vector<MacUsageOption> options(bool chinese) const;

  /// The entry shown now: the last entry whose date has come. Asks the provider for a timeline first when
  /// there is none, when the reload date has come, or after snapshotChanged(). A copy: the host replaces its
  /// timelines and grows its storage, and what it handed out must outlive both.
  MacUsageEntry current(Instance instance);
  /// The timeline `current` shows from (asking for one as `current` would), copied for the same reason.
  MacUsageTimeline timeline(Instance instance);

  /// When something changes for `instance` without outside help: the next entry's date or the reload date,
  /// whichever comes first. Nothing when no timeline has been asked for yet.
  std::optional<Instant> nextChange(Instance instance) const;

  /// The snapshot file was replaced: every instance asks for a new timeline at its next look.
  void snapshotChanged();

 private:
  struct Placed {
    MacUsageConfiguration configuration;
    std::optional<MacUsageTimeline> timeline;
  };
  Placed& placed(Instance instance);
  const MacUsageTimeline& freshTimeline(Placed& widget, Instant now);

  Clock clock_;
  StoreResolver store_;
  platform::TimeZone zone_;
  std::vector<Placed> widgets_;
};

}  // namespace velto
