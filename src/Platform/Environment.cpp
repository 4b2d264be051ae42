// Environment: the process environment behind the lookup seam.
#include "Environment.h"

#include <cstdlib>

namespace velto::platform {

std::optional<std::string> processEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

}  // namespace velto::platform
