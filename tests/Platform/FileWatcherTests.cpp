// Tests of the file watcher: replacement, unrelated files, timeouts, a folder made later, and stop signals.
#include "FileWatcher.h"

#include <signal.h>

#include <gtest/gtest.h>

#include <fstream>

#include "TemporaryFolder.h"

namespace velto::platform {
namespace {

using namespace std::chrono_literals;
using Event = FileWatcher::Event;

TEST(FileWatcher, ReplacementOfTheFileIsAChangeOtherFilesAreNot) {
  const testing_support::TemporaryFolder folder;
  FileWatcher watcher(folder.path(), "usage-v1.json");
  EXPECT_EQ(watcher.wait(10ms), Event::timeout);

  std::ofstream(folder.path() / "other.txt") << "x";
  EXPECT_EQ(watcher.wait(10ms), Event::timeout);

  std::ofstream(folder.path() / ".usage-v1.json.tmp") << "{}";
  std::filesystem::rename(folder.path() / ".usage-v1.json.tmp", folder.path() / "usage-v1.json");
  EXPECT_EQ(watcher.wait(1s), Event::changed);
  EXPECT_EQ(watcher.wait(10ms), Event::timeout) << "every queued event was read";

  std::filesystem::remove(folder.path() / "usage-v1.json");
  EXPECT_EQ(watcher.wait(1s), Event::changed);
}

TEST(FileWatcher, AFolderMadeLaterIsFound) {
  const testing_support::TemporaryFolder folder;
  FileWatcher watcher(folder.path() / "UsageWidget", "usage-v1.json");
  EXPECT_EQ(watcher.wait(10ms), Event::timeout);
  std::filesystem::create_directory(folder.path() / "UsageWidget");
  EXPECT_EQ(watcher.wait(5s), Event::changed);
  std::ofstream(folder.path() / "UsageWidget" / "usage-v1.json") << "{}";
  EXPECT_EQ(watcher.wait(1s), Event::changed);
}

TEST(FileWatcher, StopSignalsEndTheWaitAndAreNotLost) {
  const testing_support::TemporaryFolder folder;
  FileWatcher watcher(folder.path(), "usage-v1.json");
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    ::raise(signal);  // blocked while the watcher exists: pending until the wait reads it
    EXPECT_EQ(watcher.wait(5s), Event::stop) << signal;
  }
}

}  // namespace
}  // namespace velto::platform
