// Tests of the preferred languages: LANGUAGE first, then the locale variables in precedence order.
#include "PreferredLanguages.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>

namespace velto::platform {
namespace {

struct LanguagesCase {
  const char* name;
  std::map<std::string, std::string> environment;
  std::vector<std::string> expected;
};
void PrintTo(const LanguagesCase& row, std::ostream* out) { *out << row.name; }

class PreferredLanguages : public ::testing::TestWithParam<LanguagesCase> {};

TEST_P(PreferredLanguages, FromTheEnvironment) {
  const auto& variables = GetParam().environment;
  const auto lookup = [&variables](const char* name) -> std::optional<std::string> {
    const auto found = variables.find(name);
    if (found == variables.end()) return std::nullopt;
    return found->second;
  };
  EXPECT_EQ(preferredLanguages(lookup), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Platform, PreferredLanguages,
    ::testing::Values(
        LanguagesCase{"LanguageListInOrder", {{"LANGUAGE", "zh_CN:en_US:en"}, {"LANG", "de_DE.UTF-8"}},
                      {"zh_CN", "en_US", "en"}},
        LanguagesCase{"LanguageEntriesCleaned", {{"LANGUAGE", "zh_TW.UTF-8::C:de_DE@euro:POSIX"}},
                      {"zh_TW", "de_DE"}},
        LanguagesCase{"LanguageOnlyCFallsBack", {{"LANGUAGE", "C"}, {"LANG", "zh_CN.UTF-8"}}, {"zh_CN"}},
        LanguagesCase{"EmptyLanguageFallsBack", {{"LANGUAGE", ""}, {"LANG", "en_GB.UTF-8"}}, {"en_GB"}},
        LanguagesCase{"LcAllFirst", {{"LC_ALL", "zh_CN.UTF-8"}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "de_DE"}},
                      {"zh_CN"}},
        LanguagesCase{"EmptyLcAllSkipped", {{"LC_ALL", ""}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "de_DE"}},
                      {"fr_FR"}},
        LanguagesCase{"LcAllCOverridesLang", {{"LC_ALL", "C"}, {"LANG", "zh_CN.UTF-8"}}, {}},
        LanguagesCase{"CUtf8", {{"LANG", "C.UTF-8"}}, {}},
        LanguagesCase{"Posix", {{"LANG", "POSIX"}}, {}},
        LanguagesCase{"Nothing", {}, {}}));

}  // namespace
}  // namespace velto::platform
