// WidgetCommands: the widget side of velto-widget: the options a widget offers and the timeline it gets.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "Commands.h"
#include "ExitCode.h"

namespace velto::app {

/// The agent choices offered when configuring a widget, as JSON: the automatic choice named in English or
/// Chinese (`chinese`), then one per agent of the stored snapshot.
ExitCode optionsCommand(const std::optional<std::filesystem::path>& directory, bool chinese, Streams streams);

/// What `timeline` was asked for.
struct TimelineRequest {
  std::optional<std::filesystem::path> directory;  ///< the store's folder; absent: the widget's store
  std::optional<std::string> agent;                ///< the configured value exactly as stored; absent: never set
  std::optional<std::string> at;                   ///< --at as given; absent: now
};

/// The timeline the widget would get at that instant, as JSON: its entries (date, provider, and how many
/// accounts the entry shows) and when the host is to ask again.
ExitCode timelineCommand(const TimelineRequest& request, Streams streams);

/// How `render` and `watch` draw the widget. The strings are as given on the command line, already checked
/// there against their lists of names.
struct WidgetRequest {
  std::optional<std::filesystem::path> directory;  ///< the store's folder; absent: the widget's store
  std::optional<std::string> agent;                ///< the configured value exactly as stored
  std::string family = "small";                    ///< small or medium
  std::optional<bool> chinese;                     ///< --lang; absent: the user's first preferred language
  std::string textSize = "large";                  ///< one of the twelve size names
  std::string format = "text";                     ///< text, accessibility, png, svg, ansi, waybar or line
  std::string scheme = "auto";                     ///< auto (the terminal's; pictures light), light or dark
  int scale = 2;                                   ///< pixels per point of a picture: 1, 2 or 3
  bool redact = false;                             ///< draw privacy-sensitive content as placeholders
  std::string colors = "auto";                     ///< auto, truecolor, 256, none, i3blocks or polybar
  std::optional<std::string> lineTemplate;         ///< --template, already parsed once; absent: the standard one
  std::string output;                              ///< -o, as writeOutput takes it; empty or "-": standard output
};

/// What `render` was asked for: a widget at one instant.
struct RenderRequest : WidgetRequest {
  std::optional<std::string> at;  ///< --at as given; absent: now
};

/// Renders the entry the widget shows at that instant through the entry view, in the requested format.
ExitCode renderCommand(const RenderRequest& request, Streams streams);

/// A live widget: shows each entry when its date comes, asks for a new timeline at the reload date and at
/// once when the snapshot file is replaced, until interrupted. Pictures replace the output file whole; the
/// terminal is redrawn; waybar gets one JSON line per change, line one line (i3blocks' colours: three).
ExitCode watchCommand(const WidgetRequest& request, Streams streams);

}  // namespace velto::app
