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
using testing_support::readFile;

class HostCommand : public testing_support::CommandLine {
 protected:
  /// One refresh into store() with `collector`, and a reload command that notes each reload in reloads().
  int runOnce(const std::vector<std::string>& collector, std::vector<std::string> options = {}) {
    std::vector<std::string> arguments{"host", "--once", "--server", "test", "--directory", store().string(),
                                       "--reload-command", "echo reloaded >> " + reloads().string()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.push_back("--");
    arguments.insert(arguments.end(), collector.begin(), collector.end());
    return run(arguments).exitCode;
  }

  fs::path store() const { return scratch_ / "store"; }
  fs::path reloads() const { return scratch_ / "reloads"; }
  fs::path snapshotFile() const { return store() / std::string(UsageSnapshotStore::fileName); }
};

// A refresh stores the collector's report and runs the reload command once; a failed one keeps what was stored
// and says why.
TEST_F(HostCommand, ARefreshStoresAndReloadsOrKeepsTheStoredSnapshotAndSaysWhy) {
  ASSERT_EQ(runOnce({VELTO_COMMAND, "sample-report"}), 0) << err();
  const auto stored = UsageSnapshotStore(store()).read();
  ASSERT_TRUE(stored);
  EXPECT_GT(stored->accounts.size(), 0u);
  EXPECT_NE(err().find("stored " + std::to_string(stored->accounts.size()) + " accounts; reload asked"),
            std::string::npos)
      << err();
  EXPECT_EQ(readFile(reloads()), "reloaded\n");

  fs::remove(reloads());
  const std::string before = readFile(snapshotFile());
  const struct {
    std::vector<std::string> collector;
    std::string said;
  } cases[] = {
      {{"sh", "-c", "exit 3"}, "collector exited with status 3; snapshot kept"},
      {{"sleep", "30"}, "collector timed out after 1 s; snapshot kept"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.said);
    EXPECT_EQ(runOnce(c.collector, {"--timeout", "1"}), 1);
    EXPECT_NE(err().find(c.said), std::string::npos) << err();
    EXPECT_EQ(readFile(snapshotFile()), before);
    EXPECT_FALSE(fs::exists(reloads()));
  }
}

TEST_F(HostCommand, IntoTheJournalLinesCarryTheirPriority) {
  // The journal names standard error by its device and inode; a run truncates the same file, keeping both.
  const int file = ::open(errPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  struct stat status {};
  ASSERT_EQ(::fstat(file, &status), 0);
  ::close(file);
  ::setenv("JOURNAL_STREAM", (std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino)).c_str(), 1);
  const auto result = run({"host", "--once", "--server", "test", "--directory", store().string(), "--", "sh", "-c",
                           "echo 'token expired' >&2; exit 3"});
  ::unsetenv("JOURNAL_STREAM");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err.find("<4>velto-widget: sh: token expired\n<3>velto-widget: "), 0u) << result.err;
  EXPECT_NE(result.err.find("Z collector exited with status 3"), std::string::npos) << result.err;
}

// The host waits for its collector (sleep 30) only until SIGTERM; that the collector and what it started end
// with it is the process runner's part (ProcessRunnerTests).
TEST_F(HostCommand, SigtermDuringACollectorRunEndsItAtOnce) {
  const fs::path fifo = scratch_ / "started";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto host = start({"host", "--server", "test", "--directory", store().string(), "--", "sh", "-c",
                           "echo started > " + fifo.string() + "; exec sleep 30"});

  // The collector says when it runs through the FIFO: no guessing how long starting takes.
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  pollfd started{reader, POLLIN, 0};
  ASSERT_EQ(::poll(&started, 1, 30'000), 1) << err();
  ::close(reader);

  ASSERT_EQ(::kill(host->pid(), SIGTERM), 0);
  EXPECT_EQ(host->wait(1s), 0);
  EXPECT_NE(err().find("stopped while the collector ran; snapshot kept; no reload"), std::string::npos) << err();
  EXPECT_FALSE(fs::exists(snapshotFile()));
}

}  // namespace
}  // namespace velto
