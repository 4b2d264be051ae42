// DesktopCommandLine: the desktop host's options with CLI11, which is slow to compile and so kept to this file.
#include <CLI/CLI.hpp>

#include <sstream>

#include "DesktopOptions.h"
#include "DesktopState.h"

namespace velto::desktop {
namespace {

constexpr const char* programName = "velto-widget-desktop";

/// CLI11's complaint, prefixed with the program's name as every error of ours is.
std::string failureMessage(const CLI::App*, const CLI::Error& error) {
  return std::string(programName) + ": " + error.what() + "\nRun with --help for more information.\n";
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments,
                             const std::filesystem::path& workingDirectory) {
  CLI::App app{"velto-widget-desktop: keeps the usage widgets of AI agents under quotas on the desktop, live. "
               "A second start reaches the running one.",
               programName};
  app.set_version_flag("--version", std::string(programName) + " " VELTO_VERSION);
  app.failure_message(failureMessage);

  std::optional<std::filesystem::path> directory;
  std::string language;
  std::string scheme = "auto";
  std::string textSize;
  std::string add;
  bool redact = false;
  app.add_option("--directory", directory, "The folder that holds usage-v1.json (default: the widget's store).")
      ->type_name("DIR");
  app.add_option("--lang", language, "The language of the widgets and their menu (default: the user's).")
      ->check(CLI::IsMember({"en", "zh"}));
  app.add_option("--scheme", scheme, "Light or dark colours (default: auto, as the desktop prefers).")
      ->check(CLI::IsMember({"auto", "light", "dark"}));
  app.add_option("--text-size", textSize,
                 "The text size, xSmall ... accessibility5 (default: from the desktop's text scaling).")
      ->check(CLI::IsMember({"xSmall", "small", "medium", "large", "xLarge", "xxLarge", "xxxLarge", "accessibility1",
                             "accessibility2", "accessibility3", "accessibility4", "accessibility5"}));
  app.add_flag("--redact", redact, "Draw private content as placeholder shapes, as on a locked screen.");
  app.add_option("--add", add, "Place one more widget of this size (also on the running program).")
      ->check(CLI::IsMember({"small", "medium"}))
      ->type_name("SIZE");

  std::vector<const char*> argv;
  for (const auto& argument : arguments) argv.push_back(argument.c_str());
  std::ostringstream out;
  std::ostringstream err;
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error, out, err);
    return {std::nullopt, code == 0 ? 0 : 2, out.str(), err.str()};
  }

  DesktopOptions options;
  if (directory) options.directory = directory->is_absolute() ? *directory : workingDirectory / *directory;
  if (!language.empty()) options.chinese = language == "zh";
  if (scheme != "auto") options.scheme = scheme == "dark" ? render::ColorScheme::dark : render::ColorScheme::light;
  options.textSize = toolkit::textSizeNamed(textSize);
  options.redact = redact;
  options.add = familyNamed(add);
  return {std::move(options), 0, {}, {}};
}

}  // namespace velto::desktop
