// Tests of the two readings of the locale environment: the number locale and the preferred languages.
#include <gtest/gtest.h>

#include "FakeEnvironment.h"
#include "NumberLocale.h"
#include "PreferredLanguages.h"

namespace velto::platform {
namespace {

// Numbers follow LC_ALL, LC_NUMERIC, LANG; languages follow LANGUAGE, then LC_ALL, LC_MESSAGES, LANG. In both the
// first variable set decides, even when it names the C locale; encodings and modifiers are dropped.
TEST(LocaleEnvironment, NumbersAndLanguagesEachFollowTheirOwnVariables) {
  const struct {
    std::map<std::string, std::string> environment;
    std::string numbers;
    std::vector<std::string> languages;
  } cases[] = {
      {{{"LANGUAGE", "zh_TW.UTF-8::C:de_DE@euro:POSIX"}, {"LANG", "sr_RS@latin"}}, "sr_RS", {"zh_TW", "de_DE"}},
      // A LANGUAGE that names no language leaves the choice to the locale variables.
      {{{"LANGUAGE", "C"}, {"LANG", "zh_CN.UTF-8"}}, "zh_CN", {"zh_CN"}},
      {{{"LC_ALL", "fr_FR.UTF-8"}, {"LC_NUMERIC", "de_DE"}, {"LC_MESSAGES", "it_IT"}, {"LANG", "en_US"}},
       "fr_FR", {"fr_FR"}},
      // LC_NUMERIC chooses only numbers, LC_MESSAGES and LANGUAGE only the language of texts.
      {{{"LC_NUMERIC", "de_DE.UTF-8"}, {"LANG", "en_US.UTF-8"}}, "de_DE", {"en_US"}},
      {{{"LC_ALL", ""}, {"LC_NUMERIC", ""}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "de_CH"}}, "de_CH", {"fr_FR"}},
      {{{"LC_ALL", "C"}, {"LANG", "zh_CN.UTF-8"}}, "en_US_POSIX", {}},
      {{{"LC_NUMERIC", "POSIX"}, {"LC_MESSAGES", "POSIX"}, {"LANG", "de_DE"}}, "en_US_POSIX", {}},
      // A path names a locale file, which ICU would quietly read as some other locale.
      {{{"LC_NUMERIC", "/usr/lib/locale/de_DE"}, {"LANG", "de_DE"}}, "en_US_POSIX", {"de_DE"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.environment));
    const auto environment = testing_support::fakeEnvironment(c.environment);
    EXPECT_EQ(numberLocale(environment), c.numbers);
    EXPECT_EQ(preferredLanguages(environment), c.languages);
  }
}

}  // namespace
}  // namespace velto::platform
