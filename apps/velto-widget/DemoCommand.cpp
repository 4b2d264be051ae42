// DemoCommand: one sample report through every layer: projection, store, timeline, entry view, renderers.
#include "DemoCommand.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "BoundedRead.h"
#include "Bundle.h"
#include "EntryFormat.h"
#include "InputFile.h"
#include "OutputFile.h"
#include "PreferredLanguages.h"
#include "UsageWidgetLanguage.h"
#include "UsageWidgetProjection.h"
#include "WidgetHost.h"

namespace velto::app {
namespace {

namespace fs = std::filesystem;

/// The sample report's readings are taken a few minutes before this instant (2026-12-01T09:30:00Z).
constexpr Instant sampleInstant = 1796117400;

// A new folder only this user can enter, under $TMPDIR (default /tmp).
fs::path makePrivateDirectory() {
  const char* temporary = std::getenv("TMPDIR");
  std::string pattern = std::string(temporary && *temporary ? temporary : "/tmp") + "/velto-widget-demo-XXXXXX";
  if (!::mkdtemp(pattern.data())) throw std::system_error(errno, std::generic_category(), pattern);
  return pattern;
}

/// Removes the demo's private folder unless the demo got far enough to show the user what is in it.
struct RemoveUnlessShown {
  const fs::path& folder;
  bool shown = false;

  ~RemoveUnlessShown() {
    std::error_code ignored;
    if (!shown) fs::remove_all(folder, ignored);
  }
};

// The command's own path, so that the suggestion can be pasted as it stands (this may be the picture
// program, which velto-widget runs in its place).
std::string thisProgram() {
  const auto prefix = platform::installPrefix();
  return prefix ? (*prefix / "bin" / "velto-widget").string() : std::string("velto-widget");
}

}  // namespace

ExitCode demoCommand(const std::optional<std::string>& pictures, Streams streams) {
  const auto bundle = platform::Bundle::main();
  if (!bundle) {
    streams.err << "velto-widget: cannot find the program's resource folder\n";
    return exitRefused;
  }
  struct stat status {};
  if (pictures && ::stat(pictures->c_str(), &status) == 0 && !S_ISDIR(status.st_mode)) {
    streams.err << "velto-widget: " << *pictures << ": " << platform::describeFileType(status.st_mode)
                << ", not a folder for the pictures\n";
    return exitRefused;
  }
  const fs::path sample = bundle->resourceDirectory() / "samples" / "report.json";
  const UsageWidgetSnapshot snapshot =
      projectReport(readInput(sample.string(), maximumReportBytes), "local", sampleInstant);

  const fs::path privateFolder = makePrivateDirectory();
  RemoveUnlessShown removal{privateFolder};
  const UsageSnapshotStore store(privateFolder / std::string(UsageSnapshotStore::directoryName));
  store.write(snapshot);
  const fs::path pictureFolder = pictures ? fs::path(*pictures) : privateFolder / "pictures";
  std::error_code error;
  fs::create_directories(pictureFolder, error);
  if (error) throw std::system_error(error, "create folder " + pictureFolder.string());

  // The desktop's view at the sample's instant: a host whose clock stands still there.
  WidgetHost host([] { return sampleInstant; }, [&] { return store; }, platform::TimeZone::current());
  const MacUsageEntry entry = host.current(host.place());

  int written = 0;
  for (const auto family : {UsageWidgetFamily::small, UsageWidgetFamily::medium}) {
    for (const bool chinese : {false, true}) {
      for (const auto scheme : {render::ColorScheme::light, render::ColorScheme::dark}) {
        const EntryStyle style{.format = Format::png, .family = family, .scheme = scheme, .chinese = chinese};
        const std::string name = std::string("widget-") + (family == UsageWidgetFamily::small ? "small" : "medium") +
                                 (chinese ? "-zh" : "-en") +
                                 (scheme == render::ColorScheme::light ? "-light" : "-dark") + ".png";
        writeOutput((pictureFolder / name).string(), formatEntry(entryBody(entry, style), style), streams.out);
        ++written;
      }
    }
  }

  removal.shown = true;  // the pictures and the store are there; what follows only says where
  const bool chinese = prefersChinese(platform::preferredLanguages());
  const EntryStyle terminal{
      .format = Format::ansi,
      .family = UsageWidgetFamily::medium,
      .scheme = render::terminalColorScheme(platform::processEnvironment).value_or(render::ColorScheme::dark),
      .chinese = chinese,
      .terminalColors = render::detectTerminalColors(platform::processEnvironment, ::isatty(STDOUT_FILENO) != 0),
      .paintBackground = false};  // the terminal's own background, as render's --scheme auto
  streams.out << formatEntry(entryBody(entry, terminal), terminal) << '\n'
              << "The sample report, as the widget shows it at 2026-12-01 09:30 UTC.\n"
              << "Stored snapshot: " << (*store.directory() / std::string(UsageSnapshotStore::fileName)).string()
              << '\n'
              << "Pictures (" << written << " PNG files, small and medium, English and Chinese, light and dark): "
              << pictureFolder.string() << '\n'
              << "Try: " << thisProgram() << " render --directory " << store.directory()->string()
              << " --at 2026-12-01T09:30:00Z --family medium --format ansi\n";
  return exitSuccess;
}

}  // namespace velto::app
