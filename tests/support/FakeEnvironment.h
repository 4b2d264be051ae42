// FakeEnvironment: environment variables from a table, for code that reads them through EnvironmentLookup.
#pragma once

#include <map>
#include <string>

#include "Environment.h"

namespace velto::testing_support {

/// A lookup that answers from `variables` and finds every other variable unset.
inline platform::EnvironmentLookup fakeEnvironment(std::map<std::string, std::string> variables) {
  return [variables = std::move(variables)](const char* name) -> std::optional<std::string> {
    const auto found = variables.find(name);
    if (found == variables.end()) return std::nullopt;
    return found->second;
  };
}

}  // namespace velto::testing_support
