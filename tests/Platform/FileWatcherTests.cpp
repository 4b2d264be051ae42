// Tests of the file watcher: changes, timeouts, folders made or moved, a full queue, stop signals and the mask.
#include "FileWatcher.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "TemporaryFolder.h"

namespace velto::platform {
namespace {

using namespace std::chrono_literals;
using Event = FileWatcher::Event;

// Events the queue had no room for may have named the file, so a full queue is a change.
TEST(FileWatcher, AFullEventQueueIsAChange) {
  int limit = 0;
  std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> limit;
  if (limit <= 0 || limit > 1'000'000) GTEST_SKIP() << "the queue holds " << limit << " events";
  const testing_support::TemporaryFolder folder;
  FileWatcher watcher(folder.path(), "usage-v1.json");
  // Other files only, alternately, so that no two queued events in a row are alike and merged.
  const std::string names[] = {(folder.path() / "a").string(), (folder.path() / "b").string()};
  for (int i = 0; i <= limit; ++i) ::close(::open(names[i % 2].c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
  EXPECT_EQ(watcher.wait(1s), Event::changed);
}

// A folder that does not exist yet is watched once it is made. inotify follows the folder, not its path; a path
// that comes to lead elsewhere is noticed within the recheck.
TEST(FileWatcher, AFolderMadeLaterOrWhosePathLeadsElsewhereIsFollowed) {
  const testing_support::TemporaryFolder folder;
  const auto first = folder.path() / "first";
  const auto second = folder.path() / "second";
  std::filesystem::create_directory(first);
  std::filesystem::create_directory(second);
  const auto link = folder.path() / "store";
  FileWatcher watcher(link, "usage-v1.json", 50ms);
  EXPECT_EQ(watcher.wait(10ms), Event::timeout);
  std::filesystem::create_directory_symlink(first, link);
  EXPECT_EQ(watcher.wait(5s), Event::changed);
  std::ofstream(first / "usage-v1.json") << "{}";
  EXPECT_EQ(watcher.wait(1s), Event::changed);

  std::filesystem::create_directory_symlink(second, folder.path() / "store.new");
  std::filesystem::rename(folder.path() / "store.new", link);  // retargeted at once, as a deployment would
  EXPECT_EQ(watcher.wait(5s), Event::changed);
  std::ofstream(first / "usage-v1.json") << "{}";
  EXPECT_EQ(watcher.wait(100ms), Event::timeout) << "the folder the link left is no longer watched";
  std::ofstream(second / "usage-v1.json") << "{}";
  EXPECT_EQ(watcher.wait(1s), Event::changed);
}

bool blocked(int signal) {
  sigset_t mask;
  pthread_sigmask(SIG_BLOCK, nullptr, &mask);
  return sigismember(&mask, signal) == 1;
}

// Stop signals wait, blocked, until the wait reads them; the watcher then gives them back the state the caller had
// them in.
TEST(FileWatcher, TheFileReplacedOrRemovedOrAStopSignalEndsTheWaitAndTheCallersMaskIsKept) {
  const testing_support::TemporaryFolder folder;
  sigset_t hangUp;
  sigemptyset(&hangUp);
  sigaddset(&hangUp, SIGHUP);
  ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &hangUp, nullptr), 0);
  {
    FileWatcher watcher(folder.path(), "usage-v1.json");
    std::ofstream(folder.path() / "other.txt") << "x";
    EXPECT_EQ(watcher.wait(10ms), Event::timeout);

    std::ofstream(folder.path() / ".usage-v1.json.tmp") << "{}";
    std::filesystem::rename(folder.path() / ".usage-v1.json.tmp", folder.path() / "usage-v1.json");
    EXPECT_EQ(watcher.wait(1s), Event::changed);
    EXPECT_EQ(watcher.wait(10ms), Event::timeout) << "every queued event was read";

    std::filesystem::remove(folder.path() / "usage-v1.json");
    EXPECT_EQ(watcher.wait(1s), Event::changed);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
      ::raise(signal);
      EXPECT_EQ(watcher.wait(5s), Event::stop) << signal;
    }
  }
  EXPECT_TRUE(blocked(SIGHUP)) << "blocked by the caller, so it stays blocked";
  EXPECT_FALSE(blocked(SIGTERM));
  ASSERT_EQ(pthread_sigmask(SIG_UNBLOCK, &hangUp, nullptr), 0);
}

}  // namespace
}  // namespace velto::platform
