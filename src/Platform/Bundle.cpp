// Bundle: finds the resource folder from the executable's own location.
#include "Bundle.h"

#include <system_error>

namespace velto::platform {

std::optional<std::filesystem::path> resourceDirectory() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::nullopt;
  return executable.parent_path().parent_path() / "share" / "velto-widget";
}

}  // namespace velto::platform
