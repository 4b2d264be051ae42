// RefreshLoop: the host side as a service: a collector run on a schedule and on request, its report projected
// and stored, and the widget hosts asked to reload, all paced by the refresh policy.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "Instant.h"
#include "MacUsageRefreshPolicy.h"
#include "ProcessRunner.h"
#include "UsageSnapshotStore.h"

namespace velto::producer {

/// What ended a wait.
enum class Wake {
  deadline,  ///< the deadline came, or (for a deadline already past) nothing was pending
  refresh,   ///< a refresh was asked for (SIGUSR1, SIGHUP)
  stop,      ///< the host was asked to stop (SIGTERM, SIGINT)
};

/// One reading of the loop's two clocks: wall time, for the projection and the log, and the pacing clock,
/// which never goes back (time since boot), for the schedule and the policy, so that setting the wall clock
/// back cannot hold refreshes off.
struct LoopTime {
  Instant wall = 0;
  double pacing = 0;
};

/// How much a log line matters.
enum class LogLevel { error, warning, info };

/// What the host runs, how often, and what it reports as.
struct RefreshSettings {
  std::string server;                        ///< the server label of every snapshot
  std::vector<std::string> collector;        ///< the program that prints a raw report, and its arguments
  double every = 300;                        ///< seconds from one scheduled refresh to the next, at least 60
  std::chrono::milliseconds timeout{60'000};  ///< for the collector and for each reload command
  std::vector<std::string> reloadCommands;   ///< each run with /bin/sh -c when the policy lets a refresh reload
};

/// The loop's ways into the world, replaced in tests.
struct RefreshEdges {
  std::function<LoopTime()> clock;
  /// Waits until the pacing clock reaches `until`, or until a refresh or a stop is asked for. A deadline
  /// already past only takes what is pending.
  std::function<Wake(double until)> wait;
  /// Runs a process (platform::runProcess; the loop leaves the watch's descriptor to this edge).
  std::function<platform::ProcessResult(const platform::ProcessRequest&, const platform::ProcessWatch&)> run;
  /// Writes one line of the log.
  std::function<void(LogLevel, const std::string&)> log;
};

/// Owns the refresh policy and runs one refresh at a time. A refresh asks the policy to begin; when it may, the
/// collector runs, and a report it ends with status 0 is projected at the instant it ended and written to the
/// store; then the policy hears whether a snapshot was stored and says whether to reload. Every failure leaves
/// the stored snapshot as it was. Each refresh logs one line: when it began, what happened, whether a reload
/// was asked.
class RefreshLoop {
 public:
  RefreshLoop(RefreshSettings settings, UsageSnapshotStore store, RefreshEdges edges);

  /// Refreshes at once, then whenever `every` seconds (at least the policy's 60) have passed since the last
  /// refresh began or a scheduled one was skipped, and whenever one is asked for, until asked to stop. A refresh
  /// asked for while the collector runs is put to the policy at once (which refuses it). Returns 0.
  int run();

  /// One refresh: 0 when it stored a snapshot (or was asked to stop), 1 when it failed.
  int runOnce();

 private:
  struct Refresh {
    bool began = false;
    bool stored = false;
    LoopTime at;  ///< when it was asked to begin
  };
  struct Publication {
    bool stored = false;
    LogLevel level = LogLevel::info;
    std::string what;
  };

  Refresh refresh();
  Publication publish(const platform::ProcessResult& run, Instant at) const;
  std::string reload(bool published, bool due, LogLevel& level);
  bool interrupted();
  platform::ProcessResult start(const platform::ProcessRequest& request, std::string name);
  platform::ProcessWatch watch(std::string name);
  void logSkipped(Instant at) const;
  void log(LogLevel level, Instant at, const std::string& what) const;

  RefreshSettings settings_;
  UsageSnapshotStore store_;
  RefreshEdges edges_;
  MacUsageRefreshPolicy policy_;
  bool stopping_ = false;      ///< a stop was asked for during a run
  bool refreshAsked_ = false;  ///< a refresh was asked for while the reload commands ran
};

}  // namespace velto::producer
