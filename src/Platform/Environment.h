// Environment: reading environment variables through a seam that tests can replace.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace velto::platform {

/// Reads one environment variable; nothing when it is unset.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

/// The process environment.
std::optional<std::string> processEnvironment(const char* name);

}  // namespace velto::platform
