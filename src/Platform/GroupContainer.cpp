// GroupContainer: until the bundle declares its entitlements, this program is entitled to no group.
#include "GroupContainer.h"

namespace velto::platform {

std::optional<std::filesystem::path> groupContainer(std::string_view /*groupIdentifier*/) {
  return std::nullopt;
}

}  // namespace velto::platform
