// DesktopOptions: what one command line asks of the desktop host, and how it is read.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "Palette.h"
#include "TextSize.h"
#include "UsageWidgetFamily.h"

namespace velto::desktop {

/// The options of one command line. An absent value leaves the running program's choice as it was: the
/// desktop's scheme and text size follow the desktop until an option fixes them.
struct DesktopOptions {
  std::optional<std::filesystem::path> directory;  ///< the store's folder; absent: the widget's store
  std::optional<bool> chinese;                     ///< --lang; absent: the user's first preferred language
  std::optional<render::ColorScheme> scheme;       ///< --scheme light or dark; absent or auto: the desktop's
  std::optional<toolkit::TextSize> textSize;       ///< --text-size; absent: from the desktop's text scaling
  bool redact = false;                             ///< draw privacy-sensitive content as placeholders
  std::optional<UsageWidgetFamily> add;            ///< --add: place one more widget of this size
};

/// The outcome of reading a command line: the options, or what to print and the exit code to end with
/// (help and version: 0; a wrong command line: 2, with the complaint prefixed with the program's name).
struct CommandLine {
  std::optional<DesktopOptions> options;
  int exitCode = 0;
  std::string out;
  std::string err;
};

/// Reads `arguments` (the program's name first), the same way for the program's own command line and for one
/// a second start forwards to it. A relative --directory is taken from `workingDirectory`.
CommandLine parseCommandLine(const std::vector<std::string>& arguments,
                             const std::filesystem::path& workingDirectory);

}  // namespace velto::desktop
