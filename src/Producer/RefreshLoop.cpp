// RefreshLoop: the schedule, one refresh from policy to log line, and the sentences the log is written in.
#include "RefreshLoop.h"

#include <string.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>

#include "JsonDecodingError.h"
#include "SnapshotError.h"
#include "TextRules.h"
#include "UsageWidgetProjection.h"

namespace velto::producer {
namespace {

using platform::ProcessResult;
using Ending = ProcessResult::Ending;

/// "2026-12-01T09:30:00Z": the log's time, in the form --at reads.
std::string isoTime(Instant at) {
  namespace chrono = std::chrono;
  const chrono::sys_seconds time{chrono::seconds(static_cast<long long>(std::floor(at)))};
  const auto day = chrono::floor<chrono::days>(time);
  const chrono::year_month_day date(day);
  const chrono::hh_mm_ss clock(time - day);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()));
  return text;
}

/// "2,097,152"
std::string groupedDigits(std::size_t number) {
  std::string digits = std::to_string(number);
  for (auto at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

/// "60 s", "0.5 s"
std::string seconds(std::chrono::milliseconds duration) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", static_cast<double>(duration.count()) / 1000);
  return text;
}

/// How a process that did not end well ended, after its name: "exited with status 3", "timed out after 60 s".
std::string ending(const ProcessResult& result, std::chrono::milliseconds timeout) {
  switch (result.ending) {
    case Ending::exited: return "exited with status " + std::to_string(result.code);
    case Ending::signalled: {
      const char* name = ::sigabbrev_np(result.code);
      return "was killed by signal " + std::to_string(result.code) + (name ? std::string(" (SIG") + name + ")" : "");
    }
    case Ending::notStarted: return "could not be started: " + std::generic_category().message(result.code);
    case Ending::timedOut: return "timed out after " + seconds(timeout);
    case Ending::outputTooLarge: return "wrote more than " + groupedDigits(maximumReportBytes) + " bytes";
    case Ending::interrupted: return "was stopped";
  }
  return "ended";
}

/// The name a program's lines are passed on under: the collector's file name, a reload command as written.
std::string collectorName(const std::vector<std::string>& collector) {
  const std::string& program = collector.front();
  return program.substr(program.find_last_of('/') + 1);
}

constexpr std::size_t shownCommandCharacters = 60;

}  // namespace

RefreshLoop::RefreshLoop(RefreshSettings settings, UsageSnapshotStore store, RefreshEdges edges)
    : settings_(std::move(settings)), store_(std::move(store)), edges_(std::move(edges)) {}

int RefreshLoop::run() {
  // Scheduled more often, every other refresh would only be refused by the policy.
  const double period = std::max(settings_.every, MacUsageRefreshPolicy::minimumStartInterval);
  Wake wake = Wake::deadline;
  double next = edges_.clock().pacing;  // the first refresh is due at once
  while (wake != Wake::stop) {
    if (wake == Wake::refresh || edges_.clock().pacing >= next) {
      const Refresh done = refresh();
      if (stopping_) break;
      // A refresh that began restarts the schedule; a skipped scheduled one waits a whole interval.
      if (done.began || wake == Wake::deadline) next = done.at.pacing + period;
      if (refreshAsked_) {
        refreshAsked_ = false;
        wake = Wake::refresh;
        continue;
      }
    }
    wake = edges_.wait(next);
  }
  log(LogLevel::info, edges_.clock().wall, "stopped");
  return 0;
}

int RefreshLoop::runOnce() {
  const Refresh done = refresh();
  return done.stored || stopping_ ? 0 : 1;
}

RefreshLoop::Refresh RefreshLoop::refresh() {
  Refresh done{.at = edges_.clock()};
  if (!policy_.begin(true, done.at.pacing)) {
    logSkipped(done.at.wall);
    return done;
  }
  done.began = true;
  const platform::ProcessRequest collector{.arguments = settings_.collector,
                                           .outputLimit = maximumReportBytes,
                                           .timeout = settings_.timeout};
  const ProcessResult run = start(collector, collectorName(settings_.collector));
  const LoopTime ended = edges_.clock();
  Publication publication = publish(run, ended.wall);
  const bool due = policy_.finish(publication.stored, ended.pacing);
  const std::string reloaded = reload(publication.stored, due, publication.level);
  // Stamped when the refresh began, as a skipped one is, so that the log shows the schedule the policy keeps.
  log(publication.level, done.at.wall, publication.what + "; " + reloaded);
  done.stored = publication.stored;
  return done;
}

RefreshLoop::Publication RefreshLoop::publish(const ProcessResult& run, Instant at) const {
  const auto failed = [](LogLevel level, const std::string& what) {
    return Publication{.stored = false, .level = level, .what = what + "; snapshot kept"};
  };
  if (run.ending == Ending::interrupted) return failed(LogLevel::info, "stopped while the collector ran");
  if (run.ending == Ending::outputTooLarge) {
    return failed(LogLevel::error, "report refused: more than " + groupedDigits(maximumReportBytes) +
                                       " bytes (the collector was stopped)");
  }
  if (run.ending != Ending::exited || run.code != 0) {
    return failed(LogLevel::error, "collector " + ending(run, settings_.timeout));
  }

  UsageWidgetSnapshot snapshot;
  try {
    snapshot = projectReport(run.output, settings_.server, at);
  } catch (const JsonDecodingError& error) {
    return failed(LogLevel::error, std::string("report refused: not a usage report: ") + error.what());
  } catch (const std::exception& error) {
    return failed(LogLevel::error, std::string("report refused: ") + error.what());
  }
  try {
    store_.write(snapshot);
  } catch (const SnapshotFailure& failure) {
    return failed(LogLevel::error, std::string("write refused: ") + failure.what());
  } catch (const std::exception& error) {
    return failed(LogLevel::error, std::string("write failed: ") + error.what());
  }
  const std::size_t count = snapshot.accounts.size();
  return {.stored = true, .what = "stored " + std::to_string(count) + (count == 1 ? " account" : " accounts")};
}

std::string RefreshLoop::reload(bool published, bool due, LogLevel& level) {
  if (!published) return "no reload";
  if (!due) {
    return "no reload (the last was less than " +
           std::to_string(static_cast<int>(MacUsageRefreshPolicy::minimumReloadInterval)) + " s ago)";
  }
  if (settings_.reloadCommands.empty()) return "reload due, no reload command given";
  std::string failures;
  for (const auto& command : settings_.reloadCommands) {
    if (stopping_) break;
    const std::string shown = '"' + clean(command, shownCommandCharacters) + '"';
    const platform::ProcessRequest request{
        .arguments = {"/bin/sh", "-c", command}, .relayOutput = true, .timeout = settings_.timeout};
    const ProcessResult result = start(request, "reload " + shown);
    if (result.ending != Ending::exited || result.code != 0) {
      failures += "; " + shown + " " + ending(result, settings_.timeout);
    }
  }
  if (failures.empty()) return "reload asked";
  if (level == LogLevel::info) level = LogLevel::warning;
  return "reload asked" + failures;
}

bool RefreshLoop::interrupted() {
  for (;;) {
    switch (edges_.wait(-std::numeric_limits<double>::infinity())) {
      case Wake::stop: stopping_ = true; return true;
      case Wake::deadline: return false;
      case Wake::refresh:
        // While the collector runs, the policy itself refuses (a refresh is in progress). During the reload
        // commands the refresh has finished, so the request waits for the loop instead of beginning a refresh
        // that nothing would run.
        if (policy_.refreshing()) {
          const LoopTime now = edges_.clock();
          if (!policy_.begin(true, now.pacing)) logSkipped(now.wall);
        } else {
          refreshAsked_ = true;
        }
        break;
    }
  }
}

ProcessResult RefreshLoop::start(const platform::ProcessRequest& request, std::string name) {
  // Out of descriptors or memory now is no reason to end the service: this refresh fails, the next may not.
  try {
    return edges_.run(request, watch(std::move(name)));
  } catch (const std::system_error& error) {
    return {.ending = Ending::notStarted, .code = error.code().value()};
  }
}

platform::ProcessWatch RefreshLoop::watch(std::string name) {
  return {.errorLine =
              [this, name = std::move(name)](std::string_view line) {
                // Lines are the program's, not ours: no control character reaches the terminal or the journal.
                const std::string text = clean(line, platform::maximumLineBytes);
                if (!text.empty()) edges_.log(LogLevel::warning, name + ": " + text);
              },
          .interrupted = [this] { return interrupted(); }};
}

void RefreshLoop::logSkipped(Instant at) const {
  log(LogLevel::info, at,
      policy_.refreshing() ? "skipped by the refresh policy: a refresh is running"
                           : "skipped by the refresh policy: less than " +
                                 std::to_string(static_cast<int>(MacUsageRefreshPolicy::minimumStartInterval)) +
                                 " s since the last start");
}

void RefreshLoop::log(LogLevel level, Instant at, const std::string& what) const {
  edges_.log(level, isoTime(at) + " " + what);
}

}  // namespace velto::producer
