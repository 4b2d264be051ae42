// CommandStore: the store a command works on.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "UsageSnapshotStore.h"

namespace velto::app {

/// The store over `directory` when the user named one, else the widget's own store (which has no directory
/// when the bundle's identity does not check out).
UsageSnapshotStore commandStore(const std::optional<std::filesystem::path>& directory);

/// Appended to a complaint about a store without a directory.
inline constexpr std::string_view noDirectoryHint = " (name one with --directory DIR)";

}  // namespace velto::app
