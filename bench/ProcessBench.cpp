// velto-process-bench: starts a baseline program and a command alternately, many times, and compares their
// wall time and peak resident memory (the maximum resident set size that wait4 reports, as /usr/bin/time -v).
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Sample {
  double seconds;
  long peakKiB;
};

/// Runs `argv` once with its output discarded; exits the program when it cannot start or does not succeed.
Sample runOnce(char* const* argv) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  const int error = posix_spawn(&child, argv[0], &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    std::fprintf(stderr, "velto-process-bench: cannot start %s: %s\n", argv[0], std::strerror(error));
    std::exit(1);
  }
  int status = 0;
  rusage usage{};
  while (wait4(child, &status, 0, &usage) < 0) {
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "velto-process-bench: %s did not succeed (status %d)\n", argv[0], status);
    std::exit(1);
  }
  return {elapsed.count(), usage.ru_maxrss};
}

template <typename T>
T median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr,
                 "usage: %s RUNS WALL_TARGET MEMORY_TARGET_MIB BASELINE COMMAND [ARGUMENT...]\n"
                 "Starts BASELINE and COMMAND alternately RUNS times each (after one warm-up run of both) and\n"
                 "prints COMMAND's median wall time as a ratio to BASELINE's against WALL_TARGET (0: none),\n"
                 "and its largest peak resident memory against MEMORY_TARGET_MIB.\n",
                 argv[0]);
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  const double wallTarget = std::atof(argv[2]);
  const double memoryTargetMiB = std::atof(argv[3]);
  if (runs < 1 || !(wallTarget >= 0) || !(memoryTargetMiB > 0)) {
    std::fprintf(stderr,
                 "velto-process-bench: RUNS and MEMORY_TARGET_MIB must be positive, WALL_TARGET not negative\n");
    return 2;
  }
  char* baseline[] = {argv[4], nullptr};
  char* const* command = argv + 5;

  runOnce(baseline);  // the first start of each pays for the page cache
  runOnce(command);
  std::vector<double> baselineSeconds, commandSeconds;
  std::vector<long> baselineKiB, commandKiB;
  for (int i = 0; i < runs; ++i) {
    // Alternating, so that a burst of load on the machine falls on both.
    const Sample b = runOnce(baseline);
    const Sample c = runOnce(command);
    baselineSeconds.push_back(b.seconds);
    baselineKiB.push_back(b.peakKiB);
    commandSeconds.push_back(c.seconds);
    commandKiB.push_back(c.peakKiB);
  }
  // The program's own name and its first argument (the subcommand) name the row.
  const std::string program = command[0];
  std::string name = program.substr(program.rfind('/') + 1);
  if (command[1] != nullptr) name += std::string(" ") + command[1];
  const double wall = median(commandSeconds);
  const double wallLimit = median(baselineSeconds);
  const double peakMiB = static_cast<double>(*std::max_element(commandKiB.begin(), commandKiB.end())) / 1024;
  const double baselineMiB = static_cast<double>(*std::max_element(baselineKiB.begin(), baselineKiB.end())) / 1024;
  const double wallRatio = wall / wallLimit;
  std::printf("\nProcess figures (%d runs of each, alternating; median wall time, largest peak RSS):\n", runs);
  std::printf("%-40s %12s %12s %9s %9s %9s  %s\n", "figure", "measured", "limit", "ratio", "target", "r/target",
              "met");
  if (wallTarget > 0) {
    std::printf("%-40s %9.2f ms %9.2f ms %8.2fx %8.2fx %9.2f  %s\n", (name + ", wall").c_str(), wall * 1e3,
                wallLimit * 1e3, wallRatio, wallTarget, wallRatio / wallTarget, wallRatio <= wallTarget ? "yes" : "NO");
  } else {
    std::printf("%-40s %9.2f ms %9.2f ms %8.2fx %9s %9s  %s\n", (name + ", wall").c_str(), wall * 1e3,
                wallLimit * 1e3, wallRatio, "none", "-", "-");
  }
  std::printf("%-40s %8.1f MiB %8.1f MiB %9s %9s %9.2f  %s\n", (name + ", peak RSS").c_str(), peakMiB,
              memoryTargetMiB, "", "", peakMiB / memoryTargetMiB, peakMiB <= memoryTargetMiB ? "yes" : "NO");
  std::printf("(the baseline's own peak RSS: %.1f MiB)\n", baselineMiB);
  return 0;
}
