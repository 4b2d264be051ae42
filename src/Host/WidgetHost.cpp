// WidgetHost: timelines on demand, the current entry by date, reloads by date or by change.
#include "WidgetHost.h"

#include <algorithm>
#include <stdexcept>

#include "MacUsageProvider.h"

namespace velto {

WidgetHost::WidgetHost(Clock clock, StoreResolver store, platform::TimeZone zone)
    : clock_(std::move(clock)), store_(std::move(store)), zone_(std::move(zone)) {}

WidgetHost::Instance WidgetHost::place(MacUsageConfiguration configuration) {
  widgets_.push_back({std::move(configuration), std::nullopt});
  return widgets_.size() - 1;
}

WidgetHost::Placed& WidgetHost::placed(Instance instance) {
  if (instance >= widgets_.size()) throw std::out_of_range("no widget instance " + std::to_string(instance));
  return widgets_[instance];
}

void WidgetHost::configure(Instance instance, MacUsageConfiguration configuration) {
  Placed& widget = placed(instance);
  widget.configuration = std::move(configuration);
  widget.timeline.reset();
}

MacUsageConfiguration WidgetHost::configuration(Instance instance) const {
  return widgets_.at(instance).configuration;
}

std::vector<MacUsageOption> WidgetHost::options(bool chinese) const { return MacUsageOptions::results(store_(), chinese); }

const MacUsageTimeline& WidgetHost::freshTimeline(Placed& widget, Instant now) {
  if (!widget.timeline || now >= widget.timeline->reloadAfter) {
    widget.timeline = MacUsageProvider::timeline(widget.configuration, now, store_(), zone_);
  }
  return *widget.timeline;
}

MacUsageTimeline WidgetHost::timeline(Instance instance) { return freshTimeline(placed(instance), clock_()); }

MacUsageEntry WidgetHost::current(Instance instance) {
  const Instant now = clock_();
  const auto& entries = freshTimeline(placed(instance), now).entries;
  // Entries ascend by date and the first is dated at the request, so one has always come.
  const auto after = std::upper_bound(entries.begin(), entries.end(), now,
                                      [](Instant at, const MacUsageEntry& entry) { return at < entry.date; });
  return after == entries.begin() ? entries.front() : *(after - 1);
}

std::optional<Instant> WidgetHost::nextChange(Instance instance) const {
  const auto& timeline = widgets_.at(instance).timeline;
  if (!timeline) return std::nullopt;
  const Instant now = clock_();
  Instant next = timeline->reloadAfter;
  for (const auto& entry : timeline->entries) {
    if (entry.date > now) {
      next = std::min(next, entry.date);
      break;
    }
  }
  return next;
}

void WidgetHost::snapshotChanged() {
  for (auto& widget : widgets_) widget.timeline.reset();
}

}  // namespace velto
