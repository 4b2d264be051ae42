// MacUsageWidgetContainer: checks the bundle's identity before trusting its group's container.
#include "MacUsageWidgetContainer.h"

#include <filesystem>

#include "GroupContainer.h"
#include "TextRules.h"
#include "UrlComponents.h"

namespace velto {

std::optional<std::string> MacUsageWidgetContainer::groupIdentifier(std::string_view team, std::string_view group) {
  // The team rule is a regular-expression search, whose `$` also matches before one final line terminator.
  if (!matchesSigningTeam(team)) return std::nullopt;
  if (group != std::string(team) + std::string(groupSuffix)) return std::nullopt;
  return std::string(group);
}

UsageSnapshotStore MacUsageWidgetContainer::store(const std::optional<platform::Bundle>& bundle,
                                                  const platform::EnvironmentLookup& environment) {
  const UsageSnapshotStore none(std::nullopt);
  if (!bundle) return none;
  const auto team = bundle->infoString(teamKey);
  const auto configuredGroup = bundle->infoString(groupKey);
  if (!team || !configuredGroup) return none;
  const auto group = groupIdentifier(*team, *configuredGroup);
  if (!group) return none;
  const auto container = platform::groupContainer(*bundle, *group, environment);
  if (!container) return none;
  return UsageSnapshotStore(*container / std::string(UsageSnapshotStore::directoryName));
}

UsageSnapshotStore MacUsageWidgetContainer::store() { return store(platform::Bundle::main()); }

bool MacUsageWidgetContainer::opensUsage(std::string_view url) {
  const auto components = platform::UrlComponents::parse(url);
  if (!components) return false;
  if (components->scheme != "velto") return false;
  const auto host = components->host ? platform::UrlComponents::percentDecoded(*components->host) : std::nullopt;
  if (host != "usage") return false;
  const auto path = platform::UrlComponents::percentDecoded(components->path);
  if (path != "" && path != "/") return false;
  return !components->user && !components->password && !components->port && !components->query &&
         !components->fragment;
}

}  // namespace velto
