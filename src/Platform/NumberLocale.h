// NumberLocale: the locale the user formats numbers in, from the locale environment.
#pragma once

#include <string>

#include "Environment.h"

namespace velto::platform {

/// The ICU locale id for numbers: the first of LC_ALL, LC_NUMERIC and LANG that is set and not empty decides,
/// with its encoding and modifier dropped ("de_DE.UTF-8" -> "de_DE", "sr_RS@latin" -> "sr_RS"). The C and
/// POSIX locales, a value that is no locale name (a path, say), or nothing at all give "en_US_POSIX".
std::string numberLocale(const EnvironmentLookup& environment = processEnvironment);

}  // namespace velto::platform
