// CommandStore: every command that touches the store finds it the same way, so that the host side's
// commands write where the widget side's commands read.
#include "CommandStore.h"

#include "MacUsageWidgetContainer.h"

namespace velto::app {

UsageSnapshotStore commandStore(const std::optional<std::filesystem::path>& directory) {
  return directory ? UsageSnapshotStore(*directory) : MacUsageWidgetContainer::store();
}

}  // namespace velto::app
