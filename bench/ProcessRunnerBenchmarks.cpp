// ProcessRunnerBenchmarks: one collector run through the process runner, beside a bare posix_spawn that reads
// the same output and waits for the same program.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <string>
#include <vector>

#include "ProcessRunner.h"

namespace velto::bench {
namespace {

// Nothing to read, then a report at the largest size the host accepts.
const std::vector<std::string>& programNamed(int which) {
  static const std::vector<std::string> quiet{"/bin/true"};
  static const std::vector<std::string> largest{"/usr/bin/head", "-c", "2097152", "/dev/zero"};
  return which == 0 ? quiet : largest;
}

// The least a run can cost: spawn, read standard output to its end, reap. No time limit, no second pipe, no
// process descriptor, no signal settings.
void BareSpawn(benchmark::State& state, int which) {
  const auto& arguments = programNamed(which);
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::array<char, 65536> buffer;
  for (auto _ : state) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) state.SkipWithError("pipe2");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    pid_t child = 0;
    if (::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) state.SkipWithError("spawn");
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    std::size_t total = 0;
    for (ssize_t count; (count = ::read(ends[0], buffer.data(), buffer.size())) > 0;) {
      total += static_cast<std::size_t>(count);
    }
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK_CAPTURE(BareSpawn, quiet, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BareSpawn, largest, 1)->Unit(benchmark::kMicrosecond);

void RunProcess(benchmark::State& state, int which) {
  const platform::ProcessRequest request{.arguments = programNamed(which), .outputLimit = 2'097'152};
  for (auto _ : state) {
    const auto result = platform::runProcess(request, {});
    if (result.ending != platform::ProcessResult::Ending::exited) state.SkipWithError("the program failed");
    benchmark::DoNotOptimize(result.output.data());
  }
}
BENCHMARK_CAPTURE(RunProcess, quiet, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RunProcess, largest, 1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velto::bench
