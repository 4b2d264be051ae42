// Tests of the desktop host's command line: the options it takes and the conventions it keeps.
#include <gtest/gtest.h>

#include "DesktopOptions.h"

namespace velto::desktop {
namespace {

CommandLine parse(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "velto-widget-desktop");
  return parseCommandLine(arguments, "/home/user");
}

TEST(DesktopCommandLine, ReadsEveryOption) {
  const auto parsed = parse({"--directory", "store", "--lang", "zh", "--scheme", "dark", "--text-size", "xxLarge",
                             "--redact", "--add", "small"});
  ASSERT_TRUE(parsed.options) << parsed.err;
  const DesktopOptions& options = *parsed.options;
  EXPECT_EQ(options.directory, std::filesystem::path("/home/user/store"));
  EXPECT_EQ(options.chinese, true);
  EXPECT_EQ(options.scheme, render::ColorScheme::dark);
  EXPECT_EQ(options.textSize, toolkit::TextSize::xxLarge);
  EXPECT_TRUE(options.redact);
  EXPECT_EQ(options.add, UsageWidgetFamily::small);

  // Nothing given: everything follows the user and the desktop.
  const auto plain = parse({"--scheme", "auto", "--directory", "/srv/usage"});
  ASSERT_TRUE(plain.options);
  EXPECT_EQ(plain.options->directory, std::filesystem::path("/srv/usage"));
  EXPECT_FALSE(plain.options->chinese || plain.options->scheme || plain.options->textSize || plain.options->add);
}

TEST(DesktopCommandLine, AnswersHelpAndVersionAndRefusesAWrongLine) {
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string inOut;
    std::string inErr;
  };
  const Case cases[] = {
      {{"--help"}, 0, "--text-size", ""},
      {{"--version"}, 0, "velto-widget-desktop " VELTO_VERSION, ""},
      {{"--scheme", "sepia"}, 2, "", "velto-widget-desktop: --scheme: sepia not in {auto,light,dark}"},
      {{"--add", "large"}, 2, "", "velto-widget-desktop: --add: large not in"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const auto parsed = parse(c.arguments);
    EXPECT_FALSE(parsed.options);
    EXPECT_EQ(parsed.exitCode, c.exitCode);
    EXPECT_NE(parsed.out.find(c.inOut), std::string::npos) << parsed.out;
    EXPECT_NE(parsed.err.find(c.inErr), std::string::npos) << parsed.err;
  }
}

}  // namespace
}  // namespace velto::desktop
