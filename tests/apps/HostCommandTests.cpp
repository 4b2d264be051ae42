// Tests of `velto-widget host` with real collectors: what it stores, what it refuses and says, and how it stops.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "UsageSnapshotStore.h"

namespace velto {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::CommandLine;
using testing_support::readFile;

// A refresh stores the collector's report and runs the reload command once; a failed or stopped one keeps what
// was stored and says why.
TEST_F(CommandLine, HostRefreshStoresAndReloadsOrKeepsTheStoredSnapshotAndSaysWhy) {
  const auto store = scratch_ / "store";
  const auto reloads = scratch_ / "reloads";
  const auto snapshotFile = store / std::string(UsageSnapshotStore::fileName);
  // One refresh with `more` (options, "--", the collector); the reload command notes each reload in reloads.
  const auto runOnce = [&](const std::vector<std::string>& more) {
    std::vector<std::string> arguments{"host", "--once", "--server", "test", "--directory", store.string(),
                                       "--reload-command", "echo reloaded >> " + reloads.string()};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return run(arguments);
  };
  auto result = runOnce({"--", VELTO_COMMAND, "sample-report"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto stored = UsageSnapshotStore(store).read();
  ASSERT_TRUE(stored);
  EXPECT_GT(stored->accounts.size(), 0u);
  EXPECT_NE(result.err.find("stored " + std::to_string(stored->accounts.size()) + " accounts; reload asked"),
            std::string::npos)
      << result.err;
  EXPECT_EQ(readFile(reloads), "reloaded\n");

  fs::remove(reloads);
  const std::string before = readFile(snapshotFile);
  result = runOnce({"--timeout", "1", "--", "sleep", "30"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("collector timed out after 1 s; snapshot kept"), std::string::npos) << result.err;
  EXPECT_EQ(readFile(snapshotFile), before);
  EXPECT_FALSE(fs::exists(reloads));

  // Into the journal, lines carry their priority. The journal names standard error by its device and inode;
  // a run truncates the same file, keeping both.
  const int file = ::open((scratch_ / "run.err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  struct stat status {};
  ASSERT_EQ(::fstat(file, &status), 0);
  ::close(file);
  ::setenv("JOURNAL_STREAM", (std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino)).c_str(), 1);
  result = runOnce({"--", "sh", "-c", "echo 'token expired' >&2; exit 3"});
  ::unsetenv("JOURNAL_STREAM");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err.find("<4>velto-widget: sh: token expired\n<3>velto-widget: "), 0u) << result.err;
  EXPECT_NE(result.err.find("Z collector exited with status 3"), std::string::npos) << result.err;

  // The host waits for its collector (sleep 30) only until SIGTERM; that the collector and what it started end
  // with it is the process runner's part (ProcessRunnerTests).
  const fs::path fifo = scratch_ / "started";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto host = start({"host", "--server", "test", "--directory", store.string(), "--", "sh", "-c",
                           "echo started > " + fifo.string() + "; exec sleep 30"});

  // The collector says when it runs through the FIFO: no guessing how long starting takes.
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  pollfd started{reader, POLLIN, 0};
  ASSERT_EQ(::poll(&started, 1, 30'000), 1) << host->err();
  ::close(reader);

  ASSERT_EQ(::kill(host->pid(), SIGTERM), 0);
  EXPECT_EQ(host->wait(1s), 0);
  EXPECT_NE(host->err().find("stopped while the collector ran; snapshot kept; no reload"), std::string::npos)
      << host->err();
  EXPECT_EQ(readFile(snapshotFile), before);
}

}  // namespace
}  // namespace velto
