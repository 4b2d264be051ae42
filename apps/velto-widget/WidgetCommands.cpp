// WidgetCommands: the provider and the options, printed as JSON.
#include "WidgetCommands.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ostream>

#include "CommandStore.h"
#include "Environment.h"
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
  if (choice == "auto") return render::detectTerminalColors(platform::processEnvironment, toTerminal);
  return render::TerminalColors::none;  // none, and the bars' own conventions, which are no terminal's
}

render::StatusLineColors statusLineColors(std::string_view choice, render::TerminalColors terminal) {
  if (choice == "i3blocks") return render::StatusLineColors::i3blocks;
  if (choice == "polybar") return render::StatusLineColors::polybar;
  switch (terminal) {
    case render::TerminalColors::trueColor: return render::StatusLineColors::trueColor;
    case render::TerminalColors::ansi256: return render::StatusLineColors::ansi256;
    case render::TerminalColors::none: break;
  }
  return render::StatusLineColors::none;
}

bool writesToStandardOutput(const WidgetRequest& request) { return request.output.empty() || request.output == "-"; }

// The width of the terminal standard output is, else COLUMNS; nothing for a file or an unknown width.
std::optional<int> outputColumns(const WidgetRequest& request) {
  if (!writesToStandardOutput(request)) return std::nullopt;
  if (winsize size{}; ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  const std::string columns = platform::processEnvironment("COLUMNS").value_or("");
  int value = 0;
  const auto [end, error] = std::from_chars(columns.data(), columns.data() + columns.size(), value);
  if (error != std::errc() || end != columns.data() + columns.size() || value <= 0) return std::nullopt;
  return value;
}

EntryStyle styleFor(const WidgetRequest& request, bool chinese) {
  const Format format = formatNamed(request.format);
  const bool toTerminal = writesToStandardOutput(request) && ::isatty(STDOUT_FILENO);
  // auto: a picture keeps the light scheme; text in a terminal or a bar takes the terminal's, else dark.
  render::ColorScheme scheme = render::ColorScheme::light;
  if (request.scheme == "dark") {
    scheme = render::ColorScheme::dark;
  } else if (request.scheme == "auto" && !isPicture(format)) {
    scheme = render::terminalColorScheme(platform::processEnvironment).value_or(render::ColorScheme::dark);
  }
  const auto colors = terminalColors(request.colors, toTerminal);
  return {.format = format,
          .family = familyNamed(request.family),
          .scheme = scheme,
          .scale = request.scale,
          .redacted = request.redact,
          .textSize = toolkit::textSizeNamed(request.textSize).value_or(toolkit::TextSize::large),
          .chinese = chinese,
          .terminalColors = colors,
          .paintBackground = request.scheme != "auto",
          .terminalColumns = format == Format::ansi ? outputColumns(request) : std::nullopt,
          .statusLine = {.lineTemplate = render::StatusTemplate(
                             request.lineTemplate.value_or(std::string(render::StatusTemplate::standard))),
                         .colors = statusLineColors(request.colors, colors),
                         .scheme = scheme}};
}

// Options that mean something for some formats only are refused with the others, rather than ignored.
bool refusesOptionsOfOtherFormats(const WidgetRequest& request, const EntryStyle& style, std::ostream& err) {
  const bool barColors = request.colors == "i3blocks" || request.colors == "polybar";
  if (barColors && style.format != Format::line) {
    err << "velto-widget: --colors " << request.colors << " is for --format line\n";
    return true;
  }
  if (request.lineTemplate && style.format != Format::line && style.format != Format::waybar) {
    err << "velto-widget: --template is for --format line or waybar\n";
    return true;
  }
  return false;
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
  if (refusesPictureOnTerminal(request, style, streams.err) ||
      refusesOptionsOfOtherFormats(request, style, streams.err)) {
    return exitUsage;
  }
  // The entry the desktop would show at that instant: a host placed with the widget's configuration, whose
  // clock stands still there.
  WidgetHost host([at = *now] { return at; }, [&] { return commandStore(request.directory); },
                  platform::TimeZone::current());
  const auto widget = host.place({.agent = request.agent});
  writeOutput(request.output, formatEntry(entryBody(host.current(widget), style), style), streams.out);
  return exitSuccess;
}

ExitCode watchCommand(const WidgetRequest& request, Streams streams) {
  EntryStyle style = styleFor(request, request.chinese.value_or(prefersChinese(platform::preferredLanguages())));
  if (refusesOptionsOfOtherFormats(request, style, streams.err)) return exitUsage;
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
        // A date that is not a number (never from a valid timeline) waits nothing rather than casting NaN.
        const double left = until - currentInstant();
        const double seconds = std::isnan(left) ? 0.0 : std::clamp(left, 0.0, 60.0);
        const auto timeout = std::chrono::milliseconds(static_cast<long long>(std::ceil(seconds * 1000)));
        switch (watcher.wait(timeout)) {
          case platform::FileWatcher::Event::changed: return WaitResult::changed;
          case platform::FileWatcher::Event::stop: return WaitResult::stop;
          case platform::FileWatcher::Event::timeout: break;
        }
        return WaitResult::timeout;
      },
      [&](const MacUsageEntry& entry) {
        if (redraw) style.terminalColumns = outputColumns(request);  // the window may have been resized
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
