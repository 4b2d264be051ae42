// GroupContainer: a listed group's shared folder under the user's XDG data directory.
#include "GroupContainer.h"

#include <algorithm>

namespace velto::platform {
namespace {

// The identifier becomes one path component, so it must not be able to name another folder.
bool isSafePathComponent(std::string_view identifier) {
  return !identifier.empty() && identifier != "." && identifier != ".." &&
         identifier.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

std::optional<std::filesystem::path> absolutePath(const EnvironmentLookup& environment, const char* name) {
  auto value = environment(name);
  if (!value || value->empty() || value->front() != '/') return std::nullopt;
  return std::filesystem::path(std::move(*value));
}

}  // namespace

std::optional<std::filesystem::path> groupContainer(const Bundle& bundle, std::string_view groupIdentifier,
                                                    const EnvironmentLookup& environment) {
  if (!isSafePathComponent(groupIdentifier)) return std::nullopt;
  const auto groups = bundle.applicationGroups();
  if (std::find(groups.begin(), groups.end(), groupIdentifier) == groups.end()) return std::nullopt;
  // The XDG base-directory rule: a relative XDG_DATA_HOME is ignored, as if it were unset.
  if (auto dataHome = absolutePath(environment, "XDG_DATA_HOME")) return *dataHome / groupIdentifier;
  if (auto home = absolutePath(environment, "HOME")) return *home / ".local" / "share" / groupIdentifier;
  return std::nullopt;
}

std::optional<std::filesystem::path> groupContainer(std::string_view groupIdentifier) {
  const auto bundle = Bundle::main();
  if (!bundle) return std::nullopt;
  return groupContainer(*bundle, groupIdentifier, processEnvironment);
}

}  // namespace velto::platform
