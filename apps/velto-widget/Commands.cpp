// Commands: each subcommand over the library, reporting in sentences that name the file and the problem.
#include "Commands.h"

#include <cerrno>
#include <cstdlib>
#include <ostream>
#include <system_error>

#include "Bundle.h"
#include "CommandStore.h"
#include "InputFile.h"
#include "SnapshotJson.h"
#include "SnapshotValidation.h"
#include "UsageSnapshotStore.h"

namespace velto::app {
namespace {

// A new directory only this user can enter, under $TMPDIR (default /tmp).
std::filesystem::path makePrivateDirectory() {
  const char* temporary = std::getenv("TMPDIR");
  std::string pattern = std::string(temporary && *temporary ? temporary : "/tmp") + "/velto-widget-demo-XXXXXX";
  if (!::mkdtemp(pattern.data())) throw std::system_error(errno, std::generic_category(), pattern);
  return pattern;
}

}  // namespace

ExitCode readCommand(const std::optional<std::filesystem::path>& directory, Streams streams) {
  const auto store = commandStore(directory);
  const auto outcome = store.inspect();
  if (!outcome.snapshot) {
    streams.err << "velto-widget: no usable snapshot: " << outcome.problem
                << (store.directory() ? "" : noDirectoryHint) << '\n';
    return exitRefused;
  }
  streams.out << encode(*outcome.snapshot) << '\n';
  return exitSuccess;
}

ExitCode checkCommand(const std::string& file, Streams streams) {
  const std::string shownName = file == "-" ? "standard input" : file;
  const std::string bytes = readInput(file, UsageWidgetSnapshot::maximumBytes);
  if (bytes.size() > UsageWidgetSnapshot::maximumBytes) {
    streams.err << "velto-widget: " << shownName << ": larger than " << UsageWidgetSnapshot::maximumBytes
                << " bytes\n";
    return exitRefused;
  }
  try {
    const auto snapshot = decodeSnapshot(bytes);
    if (const auto failure = firstValidationFailure(snapshot)) {
      streams.err << "velto-widget: " << shownName << ": " << failure->describe() << '\n';
      return exitRefused;
    }
  } catch (const JsonDecodingError& error) {
    streams.err << "velto-widget: " << shownName << ": " << error.what() << '\n';
    return exitRefused;
  }
  streams.out << "valid\n";
  return exitSuccess;
}

ExitCode demoCommand(Streams streams) {
  const auto resources = platform::resourceDirectory();
  if (!resources) {
    streams.err << "velto-widget: cannot find the program's resource folder\n";
    return exitRefused;
  }
  const auto sample = *resources / "samples" / "usage-v1.json";
  UsageWidgetSnapshot snapshot;
  try {
    snapshot = decodeSnapshot(readInput(sample.string(), UsageWidgetSnapshot::maximumBytes));
  } catch (const JsonDecodingError& error) {
    streams.err << "velto-widget: the bundled sample " << sample.string() << " is damaged: " << error.what()
                << '\n';
    return exitRefused;
  }
  const UsageSnapshotStore store(makePrivateDirectory() / UsageSnapshotStore::directoryName);
  store.write(snapshot);
  const auto outcome = store.inspect();
  if (!outcome.snapshot) {
    streams.err << "velto-widget: the stored sample did not read back: " << outcome.problem << '\n';
    return exitRefused;
  }
  streams.out << "Stored the sample snapshot in " << (*store.directory() / UsageSnapshotStore::fileName).string()
              << " and read it back:\n"
              << encode(*outcome.snapshot) << '\n';
  return exitSuccess;
}

}  // namespace velto::app
