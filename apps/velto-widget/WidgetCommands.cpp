// WidgetCommands: the provider and the options, printed as JSON.
#include "WidgetCommands.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <ostream>

#include "CommandStore.h"
#include "EntryFormat.h"
#include "FileWatcher.h"
#include "InstantArgument.h"
#include "JsonWriter.h"
#include "LiveWidget.h"
#include "MacUsageConfiguration.h"
#include "MacUsageProvider.h"
#include "OutputFile.h"
#include "PreferredLanguages.h"
#include "StandardOutput.h"
#include "UsageWidgetLanguage.h"
#include "WidgetHost.h"

namespace velto::app {

ExitCode optionsCommand(const std::optional<std::filesystem::path>& directory, bool chinese, Streams streams) {
  JsonWriter json;
  json.beginArray();
  for (const auto& option : MacUsageOptions::results(commandStore(directory), chinese)) {
    json.beginObject().key("id").string(option.value).key("name").string(option.title).endObject();
  }
  json.endArray();
  streams.out << json.text() << '\n';
  return exitSuccess;
}

ExitCode timelineCommand(const TimelineRequest& request, Streams streams) {
  const auto now = instantArgument(request.at, streams.err);
  if (!now) return exitUsage;
  const auto timeline = MacUsageProvider::timeline({.agent = request.agent}, *now, commandStore(request.directory),
                                                   platform::TimeZone::current());
  JsonWriter json;
  json.beginObject().key("entries").beginArray();
  // The entries share one snapshot and provider: their accounts are counted once.
  const MacUsageEntry* counted = nullptr;
  std::size_t accounts = 0;
  for (const auto& entry : timeline.entries) {
    if (!counted || counted->snapshot != entry.snapshot || counted->provider != entry.provider) {
      accounts = entry.snapshot->selected(entry.provider).size();
      counted = &entry;
    }
    json.beginObject();
    json.key("date").number(entry.date);
    json.key("provider").string(entry.provider);
    json.key("accounts").integer(static_cast<std::int64_t>(accounts));
    json.key("stale").boolean(entry.snapshot->isStale(entry.date));
    json.endObject();
  }
  json.endArray().key("reloadAfter").number(timeline.reloadAfter).endObject();
  streams.out << json.text() << '\n';
  return exitSuccess;
}

namespace {

UsageWidgetFamily familyNamed(std::string_view name) {
  return name == "medium" ? UsageWidgetFamily::medium : UsageWidgetFamily::small;
}

render::TerminalColors terminalColors(std::string_view choice, bool toTerminal) {
  if (choice == "truecolor") return render::TerminalColors::trueColor;
  if (choice == "256") return render::TerminalColors::ansi256;
  if (choice == "none") return render::TerminalColors::none;
  return render::detectTerminalColors(platform::processEnvironment, toTerminal);
}

bool writesToStandardOutput(const WidgetRequest& request) { return request.output.empty() || request.output == "-"; }

EntryStyle styleFor(const WidgetRequest& request, bool chinese) {
  return {.format = formatNamed(request.format),
          .family = familyNamed(request.family),
          .scheme = request.scheme == "dark" ? render::ColorScheme::dark : render::ColorScheme::light,
          .scale = request.scale,
          .redacted = request.redact,
          .textSize = toolkit::textSizeNamed(request.textSize).value_or(toolkit::TextSize::large),
          .chinese = chinese,
          .terminalColors = terminalColors(request.colors, writesToStandardOutput(request) && ::isatty(STDOUT_FILENO))};
}

// A picture is bytes no terminal can show; say so rather than fill the screen with them.
bool refusesPictureOnTerminal(const WidgetRequest& request, const EntryStyle& style, std::ostream& err) {
  if (!isPicture(style.format) || !writesToStandardOutput(request) || !::isatty(STDOUT_FILENO)) return false;
  err << "velto-widget: a " << request.format << " picture is not for a terminal; name a file with -o FILE\n";
  return true;
}

}  // namespace

ExitCode renderCommand(const RenderRequest& request, Streams streams) {
  const auto now = instantArgument(request.at, streams.err);
  if (!now) return exitUsage;
  const EntryStyle style = styleFor(request, request.chinese.value_or(prefersChinese(platform::preferredLanguages())));
  if (refusesPictureOnTerminal(request, style, streams.err)) return exitUsage;
  // The entry the desktop would show at that instant: a host placed with the widget's configuration, whose
  // clock stands still there.
  WidgetHost host([at = *now] { return at; }, [&] { return commandStore(request.directory); },
                  platform::TimeZone::current());
  const auto widget = host.place({.agent = request.agent});
  writeOutput(request.output, formatEntry(entryBody(host.current(widget), style), style), streams.out);
  return exitSuccess;
}

ExitCode watchCommand(const WidgetRequest& request, Streams streams) {
  const EntryStyle style = styleFor(request, request.chinese.value_or(prefersChinese(platform::preferredLanguages())));
  if (isPicture(style.format) && writesToStandardOutput(request)) {
    streams.err << "velto-widget: watch --format " << request.format << " needs -o FILE to replace\n";
    return exitUsage;
  }
  const UsageSnapshotStore store = commandStore(request.directory);
  if (!store.directory()) {
    streams.err << "velto-widget: no store directory to watch" << noDirectoryHint << '\n';
    return exitRefused;
  }
  platform::FileWatcher watcher(*store.directory(), std::string(UsageSnapshotStore::fileName));
  WidgetHost host(currentInstant, [&] { return commandStore(request.directory); }, platform::TimeZone::current());
  const auto widget = host.place({.agent = request.agent});
  const bool redraw = style.format == Format::ansi && writesToStandardOutput(request);
  runLiveWidget(
      host, widget,
      [&](Instant until) {
        // Look at the clock at least once a minute, so that a suspended machine catches up soon after waking.
        const double seconds = std::clamp(until - currentInstant(), 0.0, 60.0);
        const auto timeout = std::chrono::milliseconds(static_cast<long long>(std::ceil(seconds * 1000)));
        switch (watcher.wait(timeout)) {
          case platform::FileWatcher::Event::changed: return WaitResult::changed;
          case platform::FileWatcher::Event::stop: return WaitResult::stop;
          case platform::FileWatcher::Event::timeout: break;
        }
        return WaitResult::timeout;
      },
      [&](const MacUsageEntry& entry) {
        const std::string bytes = formatEntry(entryBody(entry, style), style);
        if (redraw) streams.out << "\x1b[H\x1b[2J";  // home, clear: the widget replaces itself
        writeOutput(request.output, bytes, streams.out);
        // A write that fails (a full disk, a closed descriptor, a reader that went away) ends the watch now,
        // rather than leave it living on with no one to show anything to.
        deliver(streams.out);
      });
  return exitSuccess;
}

}  // namespace velto::app
