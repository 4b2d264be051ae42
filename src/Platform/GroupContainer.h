// GroupContainer: where an application group's shared files live.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace velto::platform {

/// The root folder of the shared container of `groupIdentifier`, or nothing when this program is not
/// entitled to that group. Nothing is created on disk.
std::optional<std::filesystem::path> groupContainer(std::string_view groupIdentifier);

}  // namespace velto::platform
