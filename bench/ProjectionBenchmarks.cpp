// ProjectionBenchmarks: a raw report into a snapshot, beside a bare simdjson DOM parse of the same bytes.
#include <benchmark/benchmark.h>
#include <simdjson.h>

#include <cstdint>
#include <string>

#include "BenchInputs.h"
#include "UsageWidgetProjection.h"

namespace velto::bench {
namespace {

const std::string& reportNamed(int which) { return which == 0 ? worstCaseReport() : typicalReport(); }

void setBytes(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
}

// What our decoder itself does first: a parser made for the one document, which checks all of it.
void BareParse(benchmark::State& state, int which) {
  const std::string& report = reportNamed(which);
  for (auto _ : state) {
    simdjson::dom::parser parser;
    simdjson::dom::element root;
    if (parser.parse(report.data(), report.size()).get(root)) state.SkipWithError("the report does not parse");
    benchmark::DoNotOptimize(root);
  }
  setBytes(state, report.size());
}
BENCHMARK_CAPTURE(BareParse, worst, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BareParse, typical, 1)->Unit(benchmark::kMicrosecond);

// The cheapest a parse can be: one parser kept across documents, its buffers already allocated.
void BareParseReusedParser(benchmark::State& state, int which) {
  const std::string& report = reportNamed(which);
  simdjson::dom::parser parser;
  for (auto _ : state) {
    simdjson::dom::element root;
    if (parser.parse(report.data(), report.size()).get(root)) state.SkipWithError("the report does not parse");
    benchmark::DoNotOptimize(root);
  }
  setBytes(state, report.size());
}
BENCHMARK_CAPTURE(BareParseReusedParser, worst, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BareParseReusedParser, typical, 1)->Unit(benchmark::kMicrosecond);

void Projection(benchmark::State& state, int which) {
  const std::string& report = reportNamed(which);
  for (auto _ : state) {
    UsageWidgetSnapshot snapshot = projectReport(report, "bench.example", benchNow);
    benchmark::DoNotOptimize(snapshot);
  }
  setBytes(state, report.size());
}
BENCHMARK_CAPTURE(Projection, worst, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Projection, typical, 1)->Unit(benchmark::kMicrosecond);

void ProjectionScaling(benchmark::State& state) {
  const std::string report = reportWithAccounts(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    UsageWidgetSnapshot snapshot = projectReport(report, "bench.example", benchNow);
    benchmark::DoNotOptimize(snapshot);
  }
  state.counters["accounts"] = static_cast<double>(state.range(0));
}
BENCHMARK(ProjectionScaling)->Arg(1)->Arg(10)->Arg(80)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velto::bench
