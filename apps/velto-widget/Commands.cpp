// Commands: reading and checking the stored snapshot, reporting in sentences that name the file and the problem.
#include "Commands.h"

#include <ostream>
#include <system_error>

#include "ByteCount.h"
#include "CommandStore.h"
#include "InputFile.h"
#include "SnapshotJson.h"
#include "SnapshotValidation.h"
#include "UsageSnapshotStore.h"

namespace velto::app {

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
  const std::string shownName = inputName(file);
  const std::string bytes = readInput(file, UsageWidgetSnapshot::maximumBytes);
  if (bytes.size() > UsageWidgetSnapshot::maximumBytes) {
    streams.err << "velto-widget: " << shownName << ": more than " << byteCount(UsageWidgetSnapshot::maximumBytes)
                << '\n';
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

}  // namespace velto::app
