// WidgetCommands: the provider and the options, printed as JSON.
#include "WidgetCommands.h"

#include <ostream>

#include "CommandStore.h"
#include "InstantArgument.h"
#include "JsonWriter.h"
#include "MacUsageConfiguration.h"
#include "MacUsageProvider.h"

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

}  // namespace velto::app
