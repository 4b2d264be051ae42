// PreferredLanguages: language codes from LANGUAGE or the locale variables, in the order gettext uses them.
#include "PreferredLanguages.h"

#include <string_view>

namespace velto::platform {
namespace {

// "zh_CN.UTF-8" -> "zh_CN", "de_DE@euro" -> "de_DE"; nothing for the C locale or an empty entry.
std::optional<std::string> languageCode(std::string_view entry) {
  const auto code = entry.substr(0, entry.find_first_of(".@"));
  if (code.empty() || code == "C" || code == "POSIX") return std::nullopt;
  return std::string(code);
}

}  // namespace

std::vector<std::string> preferredLanguages(const EnvironmentLookup& environment) {
  std::vector<std::string> languages;
  if (const auto list = environment("LANGUAGE")) {
    std::string_view rest = *list;
    while (true) {
      const auto colon = rest.find(':');
      if (auto code = languageCode(rest.substr(0, colon))) languages.push_back(std::move(*code));
      if (colon == std::string_view::npos) break;
      rest.remove_prefix(colon + 1);
    }
    if (!languages.empty()) return languages;
  }
  // The locale variables in their order of precedence: the first one set decides, even when it is "C".
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const auto value = environment(name);
    if (!value || value->empty()) continue;
    if (auto code = languageCode(*value)) languages.push_back(std::move(*code));
    break;
  }
  return languages;
}

}  // namespace velto::platform
