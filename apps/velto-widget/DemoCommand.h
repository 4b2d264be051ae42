// DemoCommand: the built-in sample, projected, stored and drawn, so that a new user sees the widget at once.
#pragma once

#include <optional>
#include <string>

#include "Commands.h"
#include "ExitCode.h"

namespace velto::app {

/// Projects the bundled sample report into a new private store at a fixed instant, writes the small and medium
/// widgets in English and Chinese, light and dark, as PNG pictures into `pictures` (default: a folder beside
/// that store), prints the medium widget in the terminal and says where the pictures are.
ExitCode demoCommand(const std::optional<std::string>& pictures, Streams streams);

}  // namespace velto::app
