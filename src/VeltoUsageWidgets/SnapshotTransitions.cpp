// SnapshotTransitions: when a snapshot turns stale, and the instants at which the widget's face changes.
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "UsageWidgetSnapshot.h"

namespace velto {
namespace {

constexpr std::size_t maximumTransitions = 12;

}  // namespace

bool UsageWidgetSnapshot::isStale(Instant now) const {
  if (capturedAt <= 0) return true;
  if (capturedAt > now + futureTolerance) return true;
  return now - capturedAt >= staleInterval;
}

std::vector<Instant> UsageWidgetSnapshot::transitionDates(Instant after, const platform::TimeZone& zone) const {
  std::vector<Instant> candidates{capturedAt + staleInterval};
  // The next local midnight is the same for every account with an output record, so it is asked for once.
  bool rollsOverAtMidnight = false;
  for (const auto& account : accounts) {
    if (account.observedAt) candidates.push_back(*account.observedAt + staleInterval);
    if (account.output) rollsOverAtMidnight = true;
    for (const auto& window : account.windows) {
      if (window.resetAt) candidates.push_back(*window.resetAt);
      candidates.push_back(window.observedAt.value_or(capturedAt) + staleInterval);
    }
  }
  if (rollsOverAtMidnight) {
    if (const auto midnight = zone.startOfNextDay(after)) candidates.push_back(*midnight);
  }

  std::vector<Instant> transitions;
  std::unordered_set<Instant> seen;
  for (const Instant candidate : candidates) {
    // -0 and 0 are one instant; both hash alike, as equal doubles must.
    if (std::isfinite(candidate) && candidate > after && seen.insert(candidate).second) {
      transitions.push_back(candidate);
    }
  }
  const auto kept = std::min(transitions.size(), maximumTransitions);
  std::partial_sort(transitions.begin(), transitions.begin() + static_cast<std::ptrdiff_t>(kept), transitions.end());
  transitions.resize(kept);
  return transitions;
}

std::vector<Instant> UsageWidgetSnapshot::transitionDates(Instant after) const {
  return transitionDates(after, platform::TimeZone::current());
}

}  // namespace velto
