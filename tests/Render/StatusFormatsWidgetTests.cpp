// Tests of the widget's real entries in the text hosts (waybar, one line with i3blocks' colours, the terminal)
// against golden files: a normal, a critical, an expired and an unavailable small entry, and medium
// entries of every agent and of one, in English and Chinese. Set VELTO_UPDATE_GOLDENS=1 to write the files
// anew, then read the difference before committing it.
#include <gtest/gtest.h>

#include <filesystem>

#include "Golden.h"
#include "TestFiles.h"
#include "MacUsageEntryView.h"
#include "SnapshotJson.h"
#include "StatusLine.h"
#include "Terminal.h"
#include "Waybar.h"

namespace velto::render {
namespace {

const std::filesystem::path folder = std::filesystem::path(VELTO_FIXTURES_DIR) / "bars";

UsageWidgetSnapshot snapshotIn(const std::filesystem::path& file) {
  return decodeSnapshot(testing_support::readFile(file));
}

struct Case {
  std::string name;  ///< the golden files' name, before the language
  MacUsageEntry entry;
  UsageWidgetFamily family = UsageWidgetFamily::small;
  toolkit::TextSize textSize = toolkit::TextSize::large;
};

/// Every text host's output for the entry, one after another under a heading each.
std::string hosts(const Case& c, bool chinese) {
  const toolkit::Element tree = MacUsageEntryView{.entry = c.entry,
                                                  .family = c.family,
                                                  .chinese = chinese,
                                                  .textSize = c.textSize,
                                                  .environment = {platform::TimeZone::utc(), "en_US_POSIX",
                                                                  VELTO_AGENT_IMAGES_DIR}}
                                    .body();
  const StatusSummary summary = readStatus(tree);
  const TerminalOptions terminal{.canvas = c.family == UsageWidgetFamily::small ? toolkit::WidgetCanvas::small()
                                                                               : toolkit::WidgetCanvas::medium(),
                                 .textSize = c.textSize};
  // The second line shows the summary's fields that the standard template leaves out.
  const std::string fields = "{agent} | {title} | {reset} | {updated}";
  return "-- waybar\n" + waybarJson(summary) + "\n-- line --colors i3blocks\n" +
         statusLine(summary, {.colors = StatusLineColors::i3blocks}) + "-- line --template " + fields + "\n" +
         statusLine(summary, {.lineTemplate = StatusTemplate(fields)}) + "-- ansi\n" + renderTerminal(tree, terminal);
}

TEST(StatusFormatsWidget, EachStateInEachLanguage) {
  const UsageWidgetSnapshot snapshot = snapshotIn(folder / "accounts.json");
  const SharedSnapshot shared = share(snapshot);
  // One account with three windows, one with two, one with balances only.
  const UsageWidgetSnapshot three =
      snapshotIn(std::filesystem::path(VELTO_FIXTURES_DIR) / "json" / "pass" / "three-accounts.json");
  const Case cases[] = {
      {"normal", {snapshot.capturedAt, shared, "crane"}},
      {"critical", {snapshot.capturedAt, shared, "quay"}},
      // A day on, after the window has reset: no figure until the next reading.
      {"expired", {snapshot.capturedAt + 86400, shared, "quay"}},
      {"unavailable", {snapshot.capturedAt, shared, "gannet"}},
      {"balance", {three.capturedAt, share(three), "kelp"}},
      // The accessible small layout: title and figure loose in the face.
      {"accessible", {snapshot.capturedAt, shared, "crane"}, UsageWidgetFamily::small,
       toolkit::TextSize::accessibility3},
      // Two accounts side by side, the third counted.
      {"medium", {snapshot.capturedAt, shared, ""}, UsageWidgetFamily::medium},
      // The right-hand list is taller than the widget's room: nothing is cut off, the drawing grows.
      {"medium-corvid", {three.capturedAt, share(three), "corvid"}, UsageWidgetFamily::medium},
  };
  for (const auto& c : cases) {
    for (const bool chinese : {false, true}) {
      testing_support::expectGolden(folder / (c.name + (chinese ? ".zh" : ".en") + ".txt"), hosts(c, chinese));
    }
  }
}

}  // namespace
}  // namespace velto::render
