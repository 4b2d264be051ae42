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

/// What `render` was asked for. The strings are as given on the command line and already checked there.
struct RenderRequest {
  std::optional<std::filesystem::path> directory;  ///< the store's folder; absent: the widget's store
  std::optional<std::string> agent;                ///< the configured value exactly as stored
  std::optional<std::string> at;                   ///< --at as given; absent: now
  std::string family = "small";                    ///< small, medium or large
  std::optional<bool> chinese;                     ///< --lang; absent: the user's first preferred language
  std::string textSize = "large";                  ///< one of the twelve size names
  std::string format = "text";                     ///< text or accessibility
  std::string output;                              ///< -o; empty or "-": standard output
};

/// Renders the entry the widget shows at that instant through the entry view: "text" gives every drawn text
/// in reading order, "accessibility" every accessibility label, one per line.
ExitCode renderCommand(const RenderRequest& request, Streams streams);

}  // namespace velto::app
