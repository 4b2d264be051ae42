// ProducerCommands: project and clear, reporting every refusal in a sentence that names the file and the problem.
#include "ProducerCommands.h"

#include <ostream>
#include <system_error>

#include "CommandStore.h"
#include "InputFile.h"
#include "InstantArgument.h"
#include "JsonDecodingError.h"
#include "SnapshotError.h"
#include "SnapshotJson.h"
#include "SnapshotValidation.h"
#include "StandardOutput.h"
#include "UsageSnapshotStore.h"
#include "UsageWidgetProjection.h"

namespace velto::app {

ExitCode projectCommand(const ProjectRequest& request, Streams streams) {
  const auto at = instantArgument(request.at, streams.err);
  if (!at) return exitUsage;

  const std::string shownName = inputName(request.file);
  // One byte beyond the projection's limit is enough for it to tell "too large".
  const std::string report = readInput(request.file, maximumReportBytes);
  UsageWidgetSnapshot snapshot;
  try {
    snapshot = projectReport(report, request.server, *at);
  } catch (const SnapshotFailure& failure) {
    streams.err << "velto-widget: " << shownName << ": report refused: " << failure.what() << '\n';
    return exitRefused;
  } catch (const JsonDecodingError& error) {
    streams.err << "velto-widget: " << shownName << ": not a usage report: " << error.what() << '\n';
    return exitRefused;
  }

  if (request.print) {
    streams.out << encode(snapshot) << '\n';
    // Printing is not storing, so this is a warning, but one worth giving before the user tries to store it.
    if (const auto failure = firstValidationFailure(snapshot)) {
      streams.err << "velto-widget: note: the store would refuse this snapshot: " << failure->describe() << '\n';
    }
    return exitSuccess;
  }

  const auto store = commandStore(request.directory);
  try {
    store.write(snapshot);
  } catch (const SnapshotFailure& failure) {
    // The store's message names the broken rule and its JSON path; the stored file is unchanged.
    streams.err << "velto-widget: the snapshot of " << shownName << " was not stored: " << failure.what()
                << (failure.error() == SnapshotError::unavailable ? noDirectoryHint : "") << '\n';
    return exitRefused;
  }
  // The snapshot is stored: that decides the outcome, and a summary that cannot be printed is only a warning.
  streams.out << "Stored " << snapshot.accounts.size() << (snapshot.accounts.size() == 1 ? " account" : " accounts")
              << " in " << (*store.directory() / UsageSnapshotStore::fileName).string() << '\n';
  try {
    deliver(streams.out);
  } catch (const std::system_error& error) {
    if (error.code() != std::errc::broken_pipe) {
      streams.err << "velto-widget: warning: the snapshot is stored, but this could not be said: "
                  << error.code().message() << '\n';
    }
  }
  return exitSuccess;
}

ExitCode clearCommand(const std::optional<std::filesystem::path>& directory, Streams streams) {
  const auto store = commandStore(directory);
  if (!store.directory()) {
    streams.err << "velto-widget: no store directory to clear" << noDirectoryHint << '\n';
    return exitRefused;
  }
  if (const std::string problem = store.erase(); !problem.empty()) {
    streams.err << "velto-widget: cannot clear " << problem << '\n';
    return exitRefused;
  }
  return exitSuccess;
}

}  // namespace velto::app
