// PreferredLanguages: the user's languages, most preferred first, from the locale environment.
#pragma once

#include <string>
#include <vector>

#include "Environment.h"

namespace velto::platform {

/// Language codes such as "zh_CN" or "en", most preferred first: the colon-separated list in LANGUAGE when it
/// names any language, else the first of LC_ALL, LC_MESSAGES and LANG that is set and not empty. Encodings and modifiers ("zh_CN.UTF-8",
/// "de_DE@euro") are dropped; "C", "POSIX" and empty entries are skipped, so a C locale gives an empty list.
std::vector<std::string> preferredLanguages(const EnvironmentLookup& environment = processEnvironment);

}  // namespace velto::platform
