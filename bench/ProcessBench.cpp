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
  // The separator between the baseline's command line and the measured one.
  int separator = 7;
  while (separator < argc && std::strcmp(argv[separator], "--") != 0) ++separator;
  if (argc < 9 || separator + 1 >= argc) {
    std::fprintf(stderr,
                 "usage: %s LABEL BASELINE_LABEL RUNS WALL_TARGET MEMORY_TARGET_MIB BASELINE [ARGUMENT...] -- "
                 "COMMAND [ARGUMENT...]\n"
                 "Starts BASELINE and COMMAND alternately RUNS times each (after one warm-up run of both) and\n"
                 "prints, as rows of a Markdown table, COMMAND's median wall time as a ratio to BASELINE's against\n"
                 "WALL_TARGET (0: none) and its largest peak resident memory against MEMORY_TARGET_MIB (0: none).\n",
                 argv[0]);
    return 2;
  }
  const std::string label = argv[1];
  const std::string baselineLabel = argv[2];
  const int runs = std::atoi(argv[3]);
  const double wallTarget = std::atof(argv[4]);
  const double memoryTargetMiB = std::atof(argv[5]);
  if (runs < 1 || !(wallTarget >= 0) || !(memoryTargetMiB >= 0)) {
    std::fprintf(stderr, "velto-process-bench: RUNS must be positive, the targets not negative\n");
    return 2;
  }
  argv[separator] = nullptr;  // ends the baseline's arguments
  char* const* baseline = argv + 6;
  char* const* command = argv + separator + 1;

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
  const double wall = median(commandSeconds);
  const double wallLimit = median(baselineSeconds);
  const double peakMiB = static_cast<double>(*std::max_element(commandKiB.begin(), commandKiB.end())) / 1024;
  const double baselineMiB = static_cast<double>(*std::max_element(baselineKiB.begin(), baselineKiB.end())) / 1024;
  const double wallRatio = wall / wallLimit;
  if (wallTarget > 0) {
    std::printf("| %s, wall | %.2f ms | %.2f ms (%s) | %.2fx | %.2gx | %s |\n", label.c_str(), wall * 1e3,
                wallLimit * 1e3, baselineLabel.c_str(), wallRatio, wallTarget, wallRatio <= wallTarget ? "yes" : "no");
  }
  if (memoryTargetMiB > 0) {
    std::printf("| %s, peak memory | %.1f MiB | %.1f MiB (%s) | | %.3g MiB | %s |\n", label.c_str(), peakMiB,
                baselineMiB, baselineLabel.c_str(), memoryTargetMiB, peakMiB <= memoryTargetMiB ? "yes" : "no");
  }
  std::fflush(stdout);
  return 0;
}
