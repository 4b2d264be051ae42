// Tests of the host's refresh loop on a fake clock, with a fake process runner and scripted signals.
#include "RefreshLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <deque>
#include <system_error>

#include "TemporaryFolder.h"
#include "TestFiles.h"
#include "UsageWidgetProjection.h"

namespace velto::producer {
namespace {

using platform::ProcessRequest;
using platform::ProcessResult;
using platform::ProcessWatch;
using Ending = ProcessResult::Ending;

constexpr Instant wallAtBoot = 1796117400;  // 2026-12-01T09:30:00Z

ProcessResult exited(int code, std::string output = "{}") {
  return {.ending = Ending::exited, .code = code, .output = std::move(output)};
}

/// Time passes only when the loop waits or a fake process runs; signals arrive at scripted instants.
class FakeWorld {
 public:
  double now = 0;
  double end = 1000;                               // a stop comes then
  std::deque<std::pair<double, Wake>> signals;     // in time order
  double collectorSeconds = 2;                     // how long each collector run takes
  std::function<ProcessResult()> collectorResult = [] { return exited(0); };
  double reloadSeconds = 0;
  int reloadStatus = 0;
  std::vector<std::string> errorLines;  // what every program writes to standard error

  std::vector<double> collectorStarts;
  std::vector<double> reloadStarts;
  std::vector<std::pair<LogLevel, std::string>> lines;
  testing_support::TemporaryFolder folder;  // where the snapshot is stored

  /// The loop (or, when `once`, one refresh) over this world, storing into `folder`.
  int run(RefreshSettings settings, bool once = false) {
    RefreshLoop loop(std::move(settings), UsageSnapshotStore(folder.path()), edges());
    return once ? loop.runOnce() : loop.run();
  }

  RefreshEdges edges() {
    return {.clock = [this] { return LoopTime{wallAtBoot + now, now}; },
            .wait = [this](double until) { return wait(until); },
            .run = [this](const ProcessRequest& request, const ProcessWatch& watch) {
              return runProcess(request, watch);
            },
            .log = [this](LogLevel level, const std::string& line) { lines.emplace_back(level, line); }};
  }

  /// The log lines after their time stamp ("2026-12-01T09:30:00Z ").
  std::vector<std::string> events() const {
    std::vector<std::string> texts;
    for (const auto& [level, line] : lines) texts.push_back(line.substr(line.find(' ') + 1));
    return texts;
  }

 private:
  Wake wait(double until) {
    if (!signals.empty() && signals.front().first <= std::max(until, now)) {
      now = std::max(now, signals.front().first);
      const Wake wake = signals.front().second;
      signals.pop_front();
      return wake;
    }
    if (std::max(until, now) >= end) {
      now = std::max(now, end);
      return Wake::stop;
    }
    now = std::max(now, until);
    return Wake::deadline;
  }

  // As the real runner does: signals that arrive while the process runs are put to `interrupted`.
  ProcessResult runProcess(const ProcessRequest& request, const ProcessWatch& watch) {
    const bool reload = request.arguments.front() == "/bin/sh";
    (reload ? reloadStarts : collectorStarts).push_back(now);
    for (const auto& line : errorLines) watch.errorLine(line);
    const double finish = now + (reload ? reloadSeconds : collectorSeconds);
    while (!signals.empty() && signals.front().first < finish) {
      now = std::max(now, signals.front().first);
      if (watch.interrupted()) return {.ending = Ending::interrupted, .code = SIGTERM};
    }
    now = finish;
    return reload ? exited(reloadStatus, "") : collectorResult();
  }
};

RefreshSettings settings(double every, std::vector<std::string> reloadCommands = {}) {
  return {.server = "test",
          .collector = {"/usr/libexec/collect-usage", "--json"},
          .every = every,
          .reloadCommands = std::move(reloadCommands)};
}

// The collector starts at least 60 s apart whatever `every` says, at once on a request between ticks, and never
// while a refresh (its collector, then its reload commands) is still running.
TEST(RefreshLoop, CollectorStartsFollowTheScheduleAndTheRequests) {
  const struct {
    double every;
    std::deque<std::pair<double, Wake>> signals;
    double collectorSeconds;
    std::vector<std::string> reloadCommands;  // each takes 100 s
    double end;
    std::vector<double> starts;
    std::vector<std::string> skipped;  // why each refused refresh was refused
  } cases[] = {
      {59, {}, 2, {}, 200, {0, 60, 120, 180}, {}},
      // A request between ticks refreshes at once and restarts the schedule.
      {300, {{100, Wake::refresh}, {130, Wake::refresh}}, 2, {}, 500, {0, 100, 400},
       {"less than 60 s since the last start"}},
      // Ticks fall due and requests come while the collector runs: the next refresh starts when it ends.
      {60, {{100, Wake::refresh}}, 250, {}, 300, {0, 250}, {"a refresh is running"}},
      // Had the request begun a refresh inside the reload, the policy would stay busy and refuse every later one.
      {300, {{50, Wake::refresh}}, 2, {"slow-reload"}, 150, {0, 102}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.starts));
    FakeWorld world;
    world.signals = c.signals;
    world.collectorSeconds = c.collectorSeconds;
    world.reloadSeconds = 100;
    world.end = c.end;
    EXPECT_EQ(world.run(settings(c.every, c.reloadCommands)), 0);
    EXPECT_EQ(world.collectorStarts, c.starts);
    const std::string refused = "skipped by the refresh policy: ";
    std::vector<std::string> skipped;
    for (const auto& event : world.events()) {
      if (event.starts_with(refused)) skipped.push_back(event.substr(refused.size()));
    }
    EXPECT_EQ(skipped, c.skipped);
  }
}

TEST(RefreshLoop, StoredRefreshesReloadAtMostEveryThreeHundredSeconds) {
  FakeWorld world;
  world.run(settings(60, {"pkill -RTMIN+8 waybar"}));
  EXPECT_EQ(world.reloadStarts, (std::vector<double>{2, 302, 602, 902}));
  EXPECT_EQ(world.lines[1].second.substr(0, 21), "2026-12-01T09:31:00Z ");  // when it began, in UTC
  EXPECT_EQ(world.events()[1], "stored 0 accounts; no reload (the last was less than 300 s ago)");
}

TEST(RefreshLoop, AStopDuringTheCollectorEndsTheLoopWithoutStoring) {
  for (const bool once : {false, true}) {
    FakeWorld world;
    world.collectorSeconds = 30;
    world.signals = {{10, Wake::stop}};
    EXPECT_EQ(world.run(settings(300, {"reload"}), once), 0) << "a stop is no failure";
    std::vector<std::string> events{"stopped while the collector ran; snapshot kept; no reload", "stopped"};
    if (once) events.pop_back();  // the loop's own last line
    EXPECT_EQ(world.events(), events);
    EXPECT_FALSE(UsageSnapshotStore(world.folder.path()).read());
  }
}

TEST(RefreshLoop, EveryFailureKeepsTheStoredSnapshotAndSaysWhy) {
  const struct {
    ProcessResult result;
    std::string line;
  } cases[] = {
      {exited(0, R"({"limits":{"windows":[]}})"), "stored 0 accounts; reload asked"},
      {exited(3), "collector exited with status 3; snapshot kept; no reload"},
      {{.ending = Ending::signalled, .code = SIGSEGV}, "collector was killed by signal 11 (SIGSEGV); snapshot kept"},
      {{.ending = Ending::timedOut, .code = SIGTERM}, "collector timed out after 60 s; snapshot kept"},
      {{.ending = Ending::notStarted, .code = ENOENT},
       "collector could not be started: No such file or directory; snapshot kept"},
      {{.ending = Ending::outputTooLarge, .code = SIGTERM},
       "report refused: more than 2,097,152 bytes (the collector was stopped); snapshot kept"},
      {exited(0, "not json"), "report refused: not a usage report: document: not valid JSON"},
      {exited(0, std::string(maximumReportBytes + 1, ' ')),
       "report refused: the report is more than 2,097,152 bytes; snapshot kept"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    FakeWorld world;
    UsageSnapshotStore(world.folder.path()).write({.server = "before", .capturedAt = wallAtBoot});
    const auto file = world.folder.path() / std::string(UsageSnapshotStore::fileName);
    const std::string before = testing_support::readFile(file);
    world.collectorResult = [&] { return c.result; };
    const bool stores = c.line.starts_with("stored");
    EXPECT_EQ(world.run(settings(300, {"reload"}), true), stores ? 0 : 1);
    ASSERT_EQ(world.lines.size(), 1u);
    EXPECT_EQ(world.lines[0].first, stores ? LogLevel::info : LogLevel::error);
    EXPECT_EQ(world.events()[0].substr(0, c.line.size()), c.line);
    EXPECT_EQ(testing_support::readFile(file) == before, !stores);
  }

  FakeWorld exhausted;  // the runner itself fails: this refresh fails, and the service goes on
  exhausted.collectorResult = []() -> ProcessResult {
    throw std::system_error(EMFILE, std::generic_category(), "pipe2");
  };
  EXPECT_EQ(exhausted.run(settings(300), true), 1);
  EXPECT_EQ(exhausted.events()[0].substr(0, 54), "collector could not be started: Too many open files; s");

  FakeWorld refused;  // the store itself refuses: it has no directory
  EXPECT_EQ(RefreshLoop(settings(300), UsageSnapshotStore(std::nullopt), refused.edges()).runOnce(), 1);
  EXPECT_EQ(refused.events()[0].substr(0, 15), "write refused: ");
}

TEST(RefreshLoop, ProgramLinesArePassedOnUnderTheProgramsNameWithoutControlCharacters) {
  FakeWorld world;
  world.reloadStatus = 2;
  world.errorLines = {"  token \x1b[31mexpired\x07 ", "\t"};
  world.run(settings(300, {"notify \x1b[2J"}), true);
  ASSERT_EQ(world.lines.size(), 3u);
  EXPECT_EQ(world.lines[0], std::make_pair(LogLevel::warning, std::string("collect-usage: token [31mexpired")));
  EXPECT_EQ(world.lines[1], std::make_pair(LogLevel::warning, std::string("reload \"notify [2J\": token [31mexpired")));
  EXPECT_EQ(world.lines[2].first, LogLevel::warning);  // stored, but the reload failed
  EXPECT_EQ(world.events()[2], "stored 0 accounts; reload asked; \"notify [2J\" exited with status 2");
}

}  // namespace
}  // namespace velto::producer
