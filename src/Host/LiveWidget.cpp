// LiveWidget: the host's loop, driven by dates and by changes of the file.
#include "LiveWidget.h"

#include <optional>
#include <utility>

namespace velto {

std::size_t runLiveWidget(WidgetHost& host, WidgetHost::Instance instance, const Waiter& wait,
                          const EntryShower& show) {
  std::optional<MacUsageEntry> shown;
  std::size_t count = 0;
  for (;;) {
    MacUsageEntry entry = host.current(instance);
    if (entry != shown) {
      show(entry);
      shown = std::move(entry);
      ++count;
    }
    // current() has asked for a timeline, so there is always a next change (at the latest, the reload).
    switch (wait(*host.nextChange(instance))) {
      case WaitResult::stop: return count;
      case WaitResult::changed: host.snapshotChanged(); break;
      case WaitResult::timeout: break;
    }
  }
}

}  // namespace velto
