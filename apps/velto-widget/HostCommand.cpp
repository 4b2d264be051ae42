// HostCommand: the refresh loop's edges: the wall and boot-time clocks, signals, real processes, and the log on
// standard error.
#include "HostCommand.h"

#include <signal.h>
#include <unistd.h>

#include <cmath>
#include <ostream>

#include "CommandStore.h"
#include "Environment.h"
#include "InstantArgument.h"
#include "JournalStream.h"
#include "ProcessRunner.h"
#include "RefreshLoop.h"
#include "SignalWaiter.h"

namespace velto::app {
namespace {

using producer::LogLevel;
using producer::Wake;

/// The journal's priority of a level (sd-daemon(3)): <3> error, <4> warning, <6> information.
int priority(LogLevel level) {
  switch (level) {
    case LogLevel::error: return 3;
    case LogLevel::warning: return 4;
    case LogLevel::info: return 6;
  }
  return 6;
}

}  // namespace

ExitCode hostCommand(const HostRequest& request, Streams streams) {
  const UsageSnapshotStore store = commandStore(request.directory);
  if (!store.directory()) {
    streams.err << "velto-widget: no store directory to write to" << noDirectoryHint << '\n';
    return exitRefused;
  }
  // Blocked from here on: a signal waits in the descriptor until the loop takes it.
  platform::SignalWaiter signals({SIGTERM, SIGINT, SIGHUP, SIGUSR1});
  const bool journal = platform::isJournalStream(platform::processEnvironment("JOURNAL_STREAM"), STDERR_FILENO);

  producer::RefreshSettings settings{
      .server = request.server,
      .collector = request.collector,
      .every = request.every,
      .timeout = std::chrono::milliseconds(std::llround(request.timeout * 1000))};
  for (const auto& command : request.reloadCommands) {
    if (!command.empty()) settings.reloadCommands.push_back(command);  // an unset variable of the service unit
  }

  const auto log = [&](LogLevel level, const std::string& line) {
    if (journal) streams.err << '<' << priority(level) << '>';
    streams.err << "velto-widget: " << line << '\n';
    streams.err.flush();
  };
  producer::RefreshEdges edges{
      .clock = [] { return producer::LoopTime{currentInstant(), platform::SignalWaiter::now()}; },
      .wait =
          [&](double until) {
            const auto signal = signals.wait(until);
            if (!signal) return Wake::deadline;
            return *signal == SIGTERM || *signal == SIGINT ? Wake::stop : Wake::refresh;
          },
      .run =
          [&](const platform::ProcessRequest& process, const platform::ProcessWatch& watch) {
            platform::ProcessWatch signalled = watch;
            signalled.interruptDescriptor = signals.descriptor();
            return platform::runProcess(process, signalled);
          },
      .log = log};
  producer::RefreshLoop loop(settings, store, edges);
  if (request.once) return loop.runOnce() == 0 ? exitSuccess : exitRefused;

  std::string collector;
  for (const auto& argument : request.collector) collector += (collector.empty() ? "" : " ") + argument;
  log(LogLevel::info, "host: running " + collector + " every " + std::to_string(std::lround(request.every)) +
                          " s into " + (*store.directory() / UsageSnapshotStore::fileName).string() +
                          "; SIGUSR1 refreshes now, SIGTERM stops");
  loop.run();
  return exitSuccess;
}

}  // namespace velto::app
