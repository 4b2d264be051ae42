// Bundle: the running program's resource folder.
#pragma once

#include <filesystem>
#include <optional>

namespace velto::platform {

/// `share/velto-widget` beside the folder that holds the running executable (`bin/`), the same in the
/// build tree and after installation; nothing when the executable's location cannot be read.
std::optional<std::filesystem::path> resourceDirectory();

}  // namespace velto::platform
