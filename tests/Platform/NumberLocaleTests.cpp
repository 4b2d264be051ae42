// Tests of the number locale: LC_ALL, LC_NUMERIC, LANG in precedence order, as ICU locale ids.
#include "NumberLocale.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>

namespace velto::platform {
namespace {

struct NumberLocaleCase {
  const char* name;
  std::map<std::string, std::string> environment;
  std::string expected;
};
void PrintTo(const NumberLocaleCase& row, std::ostream* out) { *out << row.name; }

class NumberLocale : public ::testing::TestWithParam<NumberLocaleCase> {};

TEST_P(NumberLocale, FromTheEnvironment) {
  const auto& variables = GetParam().environment;
  const auto lookup = [&variables](const char* name) -> std::optional<std::string> {
    const auto found = variables.find(name);
    if (found == variables.end()) return std::nullopt;
    return found->second;
  };
  EXPECT_EQ(numberLocale(lookup), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Platform, NumberLocale,
    ::testing::Values(
        NumberLocaleCase{"LangWithEncoding", {{"LANG", "de_DE.UTF-8"}}, "de_DE"},
        NumberLocaleCase{"ModifierDropped", {{"LANG", "de_DE@euro"}}, "de_DE"},
        NumberLocaleCase{"LcAllBeforeLcNumeric",
                         {{"LC_ALL", "fr_FR.UTF-8"}, {"LC_NUMERIC", "de_DE"}, {"LANG", "en_US"}}, "fr_FR"},
        NumberLocaleCase{"LcNumericBeforeLang", {{"LC_NUMERIC", "de_DE.UTF-8"}, {"LANG", "en_US.UTF-8"}}, "de_DE"},
        // LC_MESSAGES and LANGUAGE choose the language of texts, not the way numbers are written.
        NumberLocaleCase{"MessagesIgnored", {{"LANGUAGE", "de"}, {"LC_MESSAGES", "de_DE"}, {"LANG", "en_GB"}},
                         "en_GB"},
        NumberLocaleCase{"EmptyVariablesSkipped", {{"LC_ALL", ""}, {"LC_NUMERIC", ""}, {"LANG", "de_CH"}}, "de_CH"},
        NumberLocaleCase{"LcAllCOverridesLang", {{"LC_ALL", "C"}, {"LANG", "de_DE.UTF-8"}}, "en_US_POSIX"},
        NumberLocaleCase{"CUtf8", {{"LANG", "C.UTF-8"}}, "en_US_POSIX"},
        NumberLocaleCase{"Posix", {{"LC_NUMERIC", "POSIX"}, {"LANG", "de_DE"}}, "en_US_POSIX"},
        NumberLocaleCase{"PathIsNoLocaleName", {{"LANG", "/usr/lib/locale/de_DE"}}, "en_US_POSIX"},
        NumberLocaleCase{"Nothing", {}, "en_US_POSIX"}));

}  // namespace
}  // namespace velto::platform
