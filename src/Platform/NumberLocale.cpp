// NumberLocale: LC_ALL, LC_NUMERIC and LANG in POSIX precedence, turned into an ICU locale id.
#include "NumberLocale.h"

#include <algorithm>
#include <string_view>

namespace velto::platform {
namespace {

constexpr std::string_view posixLocale = "en_US_POSIX";

// A POSIX locale name without its ".codeset" and "@modifier" is language[_territory]; anything else in what is
// left (a '/', a space) means the value names a locale file or is garbage, which ICU would quietly read as
// some other locale.
bool isLocaleName(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
  });
}

}  // namespace

std::string numberLocale(const EnvironmentLookup& environment) {
  for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const auto value = environment(variable);
    if (!value || value->empty()) continue;
    // The first variable set decides, even when it names the C locale.
    const std::string_view name = std::string_view(*value).substr(0, value->find_first_of(".@"));
    if (name == "C" || name == "POSIX" || !isLocaleName(name)) break;
    return std::string(name);
  }
  return std::string(posixLocale);
}

}  // namespace velto::platform
