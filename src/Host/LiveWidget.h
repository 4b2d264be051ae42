// LiveWidget: one widget kept current over time: each entry when its date comes, a new timeline at the reload
// date, and at once when the snapshot file is replaced.
#pragma once

#include <functional>

#include "MacUsageEntry.h"
#include "WidgetHost.h"

namespace velto {

/// What ends a wait: the snapshot file changed, the deadline came, or the user asked to stop.
enum class WaitResult { changed, timeout, stop };

/// Waits until the instant given (or a change, or a stop); the live loop's only way of passing time, so tests
/// can replace it.
using Waiter = std::function<WaitResult(Instant until)>;

/// Shows one entry (draws it, writes it, prints it).
using EntryShower = std::function<void(const MacUsageEntry&)>;

/// Runs `instance` of `host` until the waiter says stop: shows the current entry whenever it differs from the
/// one shown last, then waits for the next date at which something changes. Returns how many entries it
/// showed.
std::size_t runLiveWidget(WidgetHost& host, WidgetHost::Instance instance, const Waiter& wait,
                          const EntryShower& show);

}  // namespace velto
