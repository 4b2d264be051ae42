// MacUsageOptions: the choices of the stored snapshot as options.
#include "MacUsageConfiguration.h"

#include "UsageWidgetSelection.h"

namespace velto {

std::vector<MacUsageOption> MacUsageOptions::results(const UsageSnapshotStore& store, bool chinese) {
  const auto snapshot = store.read().value_or(UsageWidgetSnapshot::empty());
  std::vector<MacUsageOption> options;
  for (auto& choice : UsageWidgetSelection::choices(snapshot, chinese ? "自动" : "Automatic")) {
    options.push_back({std::move(choice.id), std::move(choice.name)});
  }
  return options;
}

std::string MacUsageOptions::defaultResult() { return std::string(UsageWidgetSelection::automaticID); }

}  // namespace velto
