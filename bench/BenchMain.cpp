// BenchMain: runs the benchmarks, then prints each figure as a ratio against the limit measured in the same run.
// With --store-full-snapshot DIR it only stores the full snapshot there, for the process figures.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "BenchInputs.h"
#include "SnapshotJson.h"
#include "SnapshotValidation.h"
#include "UsageSnapshotStore.h"
#include "UsageWidgetProjection.h"

namespace velto::bench {
namespace {

/// The console output as usual, keeping each benchmark's CPU time per iteration in seconds: the median over
/// the repetitions when there are several, else the one run.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, so that a saved run reads as plain text.
  RatioReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) != 0 ? OO_ColorTabular : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const std::string name = run.run_name.str();
      const double seconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        medians_[name] = seconds;
        repetitions_ = std::max<std::int64_t>(repetitions_, run.repetitions);
      } else if (run.run_type == Run::RT_Iteration) {
        singles_[name] = seconds;
      }
    }
  }

  std::optional<double> seconds(const std::string& name) const {
    if (const auto found = medians_.find(name); found != medians_.end()) return found->second;
    if (const auto found = singles_.find(name); found != singles_.end()) return found->second;
    return std::nullopt;
  }

  std::int64_t repetitions() const { return repetitions_; }

 private:
  std::map<std::string, double> medians_;
  std::map<std::string, double> singles_;
  std::int64_t repetitions_ = 1;
};

/// n log n with log taken as at least 1, so that a single account costs one unit.
double nLogN(double n) { return n * std::max(1.0, std::log2(n)); }

struct Row {
  std::string what;
  std::string subject;
  std::string limit;
  double target;          ///< the ratio subject / limit may not exceed this; 0: no target, the ratio only informs
  double limitFactor = 1;  ///< scaling rows: the ratio of the two sizes' n log n
};

void printTable(const RatioReporter& reporter) {
  const std::vector<Row> rows{
      {"projection, worst-case report (2 MiB)", "Projection/worst", "BareParse/worst", 3},
      {"projection, typical report", "Projection/typical", "BareParse/typical", 3},
      {"widget request, 64 KiB, mixed scripts", "WidgetRequest/mixed", "BareReadAndParse/mixed", 5},
      {"widget request, 64 KiB, ASCII", "WidgetRequest/ascii", "BareReadAndParse/ascii", 5},
      {"projection, 1 -> 10 accounts", "ProjectionScaling/10", "ProjectionScaling/1", nLogN(10) / nLogN(1)},
      {"projection, 10 -> 80 accounts", "ProjectionScaling/80", "ProjectionScaling/10", nLogN(80) / nLogN(10)},
      {"widget request, 1 -> 10 accounts", "WidgetRequestScaling/10", "WidgetRequestScaling/1", nLogN(10) / nLogN(1)},
      {"widget request, 10 -> 80 accounts", "WidgetRequestScaling/80", "WidgetRequestScaling/10",
       nLogN(80) / nLogN(10)},
      {"PNG render, medium, scale 2, full", "Png/full", "BareCairoPng", 0},
      {"PNG render, medium, scale 2, typical", "Png/typical", "BareCairoPng", 0},
      // The host's own CPU for one collector run (the child's is the same program either way).
      {"collector run, no output", "RunProcess/quiet", "BareSpawn/quiet", 1.5},
      {"collector run, 2 MiB output", "RunProcess/largest", "BareSpawn/largest", 1.5},
  };
  std::printf("\nRatios (median CPU time of %lld repetitions; limit measured in the same run), as Markdown rows:\n",
              static_cast<long long>(reporter.repetitions()));
  std::printf("| figure | measured | limit | ratio | target | met |\n|---|---:|---:|---:|---:|:---:|\n");
  for (const Row& row : rows) {
    const auto subject = reporter.seconds(row.subject);
    const auto limit = reporter.seconds(row.limit);
    if (!subject || !limit) {
      std::printf("| %s | | | | %.3gx | not run |\n", row.what.c_str(), row.target);
      continue;
    }
    const double ratio = *subject / *limit;
    if (row.target == 0) {
      std::printf("| %s | %.1f us | %.1f us (%s) | %.2fx | none | - |\n", row.what.c_str(), *subject * 1e6,
                  *limit * 1e6, row.limit.c_str(), ratio);
      continue;
    }
    std::printf("| %s | %.1f us | %.1f us (%s) | %.2fx | %.3gx | %s |\n", row.what.c_str(), *subject * 1e6,
                *limit * 1e6, row.limit.c_str(), ratio, row.target, ratio <= row.target ? "yes" : "no");
  }
  const auto reused = reporter.seconds("BareParseReusedParser/worst");
  const auto projection = reporter.seconds("Projection/worst");
  if (reused && projection) {
    std::printf("(for reference: worst-case projection is %.2fx a parse with a parser kept across documents)\n",
                *projection / *reused);
  }
  std::printf("scaling targets are n log n (log2, at least 1) of the larger size over that of the smaller\n");
  std::printf("\nMedium widget, medians of CPU time in us (absolute; only the PNG has a limit, above):\n");
  for (const char* name : {"ContentView/full", "ContentView/typical", "LayoutFixed/full", "LayoutFixed/typical",
                           "LayoutPango/full", "LayoutPango/typical", "Terminal/full", "Terminal/typical",
                           "Png/full", "Png/typical"}) {
    if (const auto seconds = reporter.seconds(name)) std::printf("  %-24s %10.1f\n", name, *seconds * 1e6);
  }
}

/// The inputs are what they claim to be, or the figures mean nothing.
void describeInputs() {
  const std::string& worst = worstCaseReport();
  const UsageWidgetSnapshot projected = projectReport(worst, "bench.example", benchNow);
  std::size_t windows = 0;
  std::size_t wallets = 0;
  std::size_t outputs = 0;
  for (const auto& account : projected.accounts) {
    windows += account.windows.size();
    wallets += account.wallets.size();
    if (account.output) ++outputs;
  }
  const std::size_t padding = worst.size() - worst.find("\"zz_padding\"");
  std::printf("worst-case report: %zu bytes (the last %zu in one ignored string) -> %zu accounts (%zu windows, "
              "%zu wallets, %zu outputs), snapshot %zu bytes\n",
              worst.size(), padding, projected.accounts.size(), windows, wallets, outputs, encode(projected).size());
  const UsageWidgetSnapshot typical = projectReport(typicalReport(), "bench.example", benchNow);
  std::printf("typical report: %zu bytes -> %zu accounts\n", typicalReport().size(), typical.accounts.size());
  for (const Script script : {Script::mixed, Script::ascii}) {
    const UsageWidgetSnapshot& full = fullSnapshot(script);
    if (const auto failure = firstValidationFailure(full)) {
      throw std::logic_error("a full snapshot is invalid: " + failure->describe());
    }
    std::size_t fullWindows = 0;
    for (const auto& account : full.accounts) fullWindows += account.windows.size();
    std::printf("full snapshot (%s): %zu bytes, %zu accounts, %zu windows, valid\n",
                script == Script::mixed ? "mixed scripts" : "ASCII", encode(full).size(), full.accounts.size(),
                fullWindows);
  }
  for (const std::size_t n : {1U, 10U, 80U}) {
    const UsageWidgetSnapshot scaled = projectReport(reportWithAccounts(n), "bench.example", benchNow);
    if (scaled.accounts.size() != n) throw std::logic_error("a scaling report yields the wrong number of accounts");
    const UsageWidgetSnapshot stored = snapshotWithAccounts(n);
    if (const auto failure = firstValidationFailure(stored)) {
      throw std::logic_error("a scaling snapshot is invalid: " + failure->describe());
    }
    if (encode(stored).size() > UsageWidgetSnapshot::maximumBytes) {
      throw std::logic_error("a scaling snapshot is too large");
    }
  }
  std::fflush(stdout);
}

}  // namespace
}  // namespace velto::bench

int main(int argc, char** argv) {
  // For the process figures: the full snapshot stored where a command can read it.
  if (argc == 3 && std::string(argv[1]) == "--store-full-snapshot") {
    try {
      velto::UsageSnapshotStore(std::filesystem::path(argv[2])).write(velto::bench::fullSnapshot());
      return 0;
    } catch (const std::exception& error) {
      std::cerr << "velto-bench: " << error.what() << '\n';
      return 1;
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  try {
    velto::bench::describeInputs();
  } catch (const std::exception& error) {
    std::cerr << "velto-bench: " << error.what() << '\n';
    return 1;
  }
  velto::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  velto::bench::printTable(reporter);
  benchmark::Shutdown();
  return 0;
}
