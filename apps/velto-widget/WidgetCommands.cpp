// WidgetCommands: the provider and the options, printed as JSON.
#include "WidgetCommands.h"

#include <ostream>

#include "CommandStore.h"
#include "InstantArgument.h"
#include "JsonWriter.h"
#include "MacUsageConfiguration.h"
#include "Accessibility.h"
#include "MacUsageEntryView.h"
#include "MacUsageProvider.h"
#include "OutputFile.h"
#include "PreferredLanguages.h"
#include "UsageWidgetLanguage.h"
#include "VisibleText.h"
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
  for (const auto& entry : timeline.entries) {
    json.beginObject();
    json.key("date").number(entry.date);
    json.key("provider").string(entry.provider);
    json.key("accounts").integer(static_cast<std::int64_t>(entry.snapshot.selected(entry.provider).size()));
    json.key("stale").boolean(entry.snapshot.isStale(entry.date));
    json.endObject();
  }
  json.endArray().key("reloadAfter").number(timeline.reloadAfter).endObject();
  streams.out << json.text() << '\n';
  return exitSuccess;
}

namespace {

UsageWidgetFamily familyNamed(std::string_view name) {
  if (name == "medium") return UsageWidgetFamily::medium;
  if (name == "large") return UsageWidgetFamily::large;
  return UsageWidgetFamily::small;
}

std::string lines(const std::vector<std::string>& texts) {
  std::string joined;
  for (const auto& text : texts) joined += text + '\n';
  return joined;
}

}  // namespace

ExitCode renderCommand(const RenderRequest& request, Streams streams) {
  const auto now = instantArgument(request.at, streams.err);
  if (!now) return exitUsage;
  // The entry the desktop would show at that instant: a host placed with the widget's configuration, whose
  // clock stands still there.
  WidgetHost host([at = *now] { return at; }, [&] { return commandStore(request.directory); },
                  platform::TimeZone::current());
  const auto widget = host.place({.agent = request.agent});
  const MacUsageEntryView view{
      .entry = host.current(widget),
      .family = familyNamed(request.family),
      .chinese = request.chinese.value_or(prefersChinese(platform::preferredLanguages())),
      .textSize = toolkit::textSizeNamed(request.textSize).value_or(toolkit::TextSize::large),
      .environment = UsageWidgetContentEnvironment::current()};
  const toolkit::Element body = view.body();
  const std::string rendered =
      request.format == "accessibility" ? toolkit::accessibilityText(body) : lines(toolkit::visibleTexts(body));
  writeOutput(request.output, rendered, streams.out);
  return exitSuccess;
}

}  // namespace velto::app
