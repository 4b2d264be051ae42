// MacUsageRefreshPolicy: two intervals, each from the last time the same operation was allowed.
#include "MacUsageRefreshPolicy.h"

namespace velto {
namespace {

// A negative difference (the clock went back) is less than the interval too.
bool tooSoon(const std::optional<Instant>& last, Instant at, double interval) {
  return last && at - *last < interval;
}

}  // namespace

bool MacUsageRefreshPolicy::begin(bool configured, Instant at) {
  if (!configured || refreshing_) return false;
  if (tooSoon(lastStarted_, at, minimumStartInterval)) return false;
  refreshing_ = true;
  lastStarted_ = at;
  return true;
}

bool MacUsageRefreshPolicy::finish(bool published, Instant at) {
  refreshing_ = false;
  if (!published) return false;
  if (tooSoon(lastReloaded_, at, minimumReloadInterval)) return false;
  lastReloaded_ = at;
  return true;
}

}  // namespace velto
