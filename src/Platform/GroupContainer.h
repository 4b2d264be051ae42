// GroupContainer: where an application group's shared files live.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "Bundle.h"
#include "Environment.h"

namespace velto::platform {

/// The root folder of the shared container of `groupIdentifier`: `$XDG_DATA_HOME/<group>` (an absolute
/// XDG_DATA_HOME only; otherwise `$HOME/.local/share/<group>`). Nothing when `bundle`'s entitlements do not
/// list the group, or when there is no usable home. Nothing is created on disk.
std::optional<std::filesystem::path> groupContainer(const Bundle& bundle, std::string_view groupIdentifier,
                                                    const EnvironmentLookup& environment = processEnvironment);

/// The same for the running program's bundle and environment.
std::optional<std::filesystem::path> groupContainer(std::string_view groupIdentifier);

}  // namespace velto::platform
