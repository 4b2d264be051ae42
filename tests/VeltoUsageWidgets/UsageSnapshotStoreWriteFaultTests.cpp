// UsageSnapshotStoreWriteFaultTests: writes failing at each step, a directory swapped, the lock, other writers' files.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <system_error>
#include <vector>

#include "FileDescriptor.h"
#include "SnapshotJson.h"
#include "UsageSnapshotStoreTesting.h"

namespace velto {
namespace {

namespace fs = std::filesystem;
using namespace store_testing;

/// What a write under faults does. `failsInNewDirectory`: the write goes to a directory two levels below the
/// root that does not exist yet, fails, and so leaves the root's file as it was.
enum class Outcome { keepsOld, replacedThenFails, succeeds, failsInNewDirectory };

struct WriteFaultCase {
  const char* name;
  std::vector<FaultyFiles::Fault> faults;
  Outcome outcome;
  std::size_t maximumTransfer = SIZE_MAX;
  /// Temporary files that a removal running at the same time would have taken; here there is none.
  std::size_t temporariesLeft = 0;
};

class UsageSnapshotStoreWriteFaultTest : public UsageSnapshotStoreTest,
                                         public testing::WithParamInterface<WriteFaultCase> {};

// Each step before the (atomic) rename failing leaves the old file: so no reader ever sees half of a new one.
TEST_P(UsageSnapshotStoreWriteFaultTest, FailureLeavesTheOldFileAndNoTemporary) {
  const WriteFaultCase& row = GetParam();
  store().write(sampleSnapshot());
  const std::string old = readFile(file());
  const fs::path directory = row.outcome == Outcome::failsInNewDirectory ? root / "new" / "UsageWidget" : root;
  FaultyFiles files;
  files.faults = row.faults;
  files.maximumTransfer = row.maximumTransfer;
  try {
    UsageSnapshotStore(directory, files).write(UsageWidgetSnapshot::empty());
    EXPECT_EQ(row.outcome, Outcome::succeeds) << "no error reported";
  } catch (const std::system_error& error) {
    const std::string message = error.what();
    EXPECT_NE(row.outcome, Outcome::succeeds) << message;
    EXPECT_EQ(error.code(), std::error_code(row.faults.back().error, std::generic_category())) << message;
    EXPECT_NE(message.find(root.string()), std::string::npos) << message;
    // A failure after the rename must not claim that the old file stayed.
    EXPECT_EQ(message.find("is in place but may not be durable") != std::string::npos,
              row.outcome == Outcome::replacedThenFails)
        << message;
  }
  const bool replaced = row.outcome == Outcome::succeeds || row.outcome == Outcome::replacedThenFails;
  EXPECT_EQ(readFile(file()), replaced ? encode(UsageWidgetSnapshot::empty()) : old);
  EXPECT_EQ(modeOf(file()), 0600);
  EXPECT_EQ(temporaryFilesIn(directory).size(), row.temporariesLeft);
}

// Call order of a write into an existing directory: open directory, open lock file, fstat it, flock it, open
// the directory for listing, open temporary, flock it, fstatat and fstat (still its name?), fchmod, write...,
// fsync, rename, fsync directory, then close the temporary, the lock file and the directory. Into a new
// directory, first: open the directory and its parent (both missing), the root; then each made directory is
// opened anew and its mode set.
const WriteFaultCase writeFaults[] = {
    {"OpenDirectory", {{Call::open, 1, EMFILE}}, Outcome::keepsOld},
    {"OpenLockFile", {{Call::open, 2, EACCES}}, Outcome::keepsOld},
    {"InspectLockFile", {{Call::fstat, 1, EIO}}, Outcome::keepsOld},
    {"Lock", {{Call::flock, 1, ENOLCK}}, Outcome::keepsOld},
    {"LockInterrupted", {{Call::flock, 1, EINTR}}, Outcome::succeeds},
    {"ListingIsBestEffort", {{Call::open, 3, EMFILE}}, Outcome::succeeds},
    {"CreateTemporary", {{Call::open, 4, EACCES}}, Outcome::keepsOld},
    // Each of the eight names tried is taken: the opens after the directory's, the lock file's and the listing's.
    {"EveryTemporaryNameTaken",
     {{Call::open, 4, EEXIST}, {Call::open, 5, EEXIST}, {Call::open, 6, EEXIST}, {Call::open, 7, EEXIST},
      {Call::open, 8, EEXIST}, {Call::open, 9, EEXIST}, {Call::open, 10, EEXIST}, {Call::open, 11, EEXIST}},
     Outcome::keepsOld},
    {"TemporaryNameTakenOnce", {{Call::open, 4, EEXIST}}, Outcome::succeeds},
    {"TemporaryLockedByARemoval", {{Call::flock, 2, EWOULDBLOCK}}, Outcome::succeeds, SIZE_MAX, 1},
    {"TemporaryRemovedBeforeLocked", {{Call::fstatat, 1, ENOENT}}, Outcome::succeeds, SIZE_MAX, 1},
    {"NoLocksOnTheFileSystem", {{Call::flock, 2, ENOLCK}}, Outcome::succeeds},
    {"SetPermissions", {{Call::fchmod, 1, EPERM}}, Outcome::keepsOld},
    {"ShortWritesThenFailure", {{Call::write, 3, EIO}}, Outcome::keepsOld, 10},
    {"SyncFile", {{Call::fsync, 1, EIO}}, Outcome::keepsOld},
    {"Rename", {{Call::rename, 1, EACCES}}, Outcome::keepsOld},
    {"SyncDirectory", {{Call::fsync, 2, EIO}}, Outcome::replacedThenFails},
    // After fsync has reported any write-back error, nothing depends on close.
    {"CloseIgnored", {{Call::close, 1, EIO}}, Outcome::succeeds},
    {"InterruptedShortWrites", {{Call::write, 1, EINTR}, {Call::write, 4, EINTR}}, Outcome::succeeds, 7},
    {"MakeDirectory", {{Call::mkdir, 2, ENOSPC}}, Outcome::failsInNewDirectory},
    {"OpenMadeParent", {{Call::open, 4, EMFILE}}, Outcome::failsInNewDirectory},
    {"SetDirectoryPermissions", {{Call::fchmod, 2, EPERM}}, Outcome::failsInNewDirectory},
};

INSTANTIATE_TEST_SUITE_P(Faults, UsageSnapshotStoreWriteFaultTest, testing::ValuesIn(writeFaults),
                         [](const auto& row) { return std::string(row.param.name); });

// Whoever can write the folder the store makes its directory in can swap the new directory for a symbolic link
// before the store sets its mode: right then, here. The mode must not pass on to what the link leads to.
TEST_F(UsageSnapshotStoreTest, ANewDirectorySwappedForALinkIsNotFollowed) {
  const fs::path victim = root / "victim";
  writeBytes(victim, "x");
  ASSERT_EQ(::chmod(victim.c_str(), 0644), 0);
  const fs::path made = root / "UsageWidget";
  FaultyFiles files;
  files.afterMkdir = [&] {
    ASSERT_EQ(::rename(made.c_str(), (root / "moved").c_str()), 0);
    ASSERT_EQ(::symlink(victim.c_str(), made.c_str()), 0);
  };
  try {
    UsageSnapshotStore(made, files).write(sampleSnapshot());
    ADD_FAILURE() << "written through the swapped link";
  } catch (const std::system_error& error) {
    EXPECT_TRUE(std::string(error.what()).starts_with("open new directory " + made.string())) << error.what();
  }
  EXPECT_EQ(modeOf(victim), 0644);
  EXPECT_EQ(readFile(victim), "x");
}

/// What stands in a writer's way at the lock file's name, or what another process holds.
enum class Obstacle { sharedLockOnDirectory, looseLockFile, foreignLockFile, linkAtLockName, fifoAtLockName, heldLock };

struct LockCase {
  const char* name;
  Obstacle obstacle;
  const char* refusal;  ///< empty: the write goes through
};

class UsageSnapshotStoreLockTest : public UsageSnapshotStoreTest, public testing::WithParamInterface<LockCase> {};

// Only the store's owner can hold writers up: a lock others can take (on the directory, which anyone who can
// read it can open) is not the one writers wait for; a lock file that others could open is made the owner's
// alone, and one that is not the owner's regular file is refused at once. A writer that holds the lock for ever
// (hung, or stopped) makes the next one give up after five seconds of pauses. A refused writer has opened
// nothing but the directory and the lock file.
TEST_P(UsageSnapshotStoreLockTest, NoOneButTheOwnerCanHoldWritersUp) {
  const LockCase& row = GetParam();
  store().write(sampleSnapshot());
  const fs::path lock = root / ".usage-v1.json.lock";
  const platform::FileDescriptor directory(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  const platform::FileDescriptor holder(::open(lock.c_str(), O_RDONLY | O_CLOEXEC));
  switch (row.obstacle) {
    case Obstacle::sharedLockOnDirectory: ASSERT_EQ(::flock(directory.get(), LOCK_SH), 0); break;
    case Obstacle::looseLockFile: ASSERT_EQ(::chmod(lock.c_str(), 0644), 0); break;
    case Obstacle::foreignLockFile:
      if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
      ASSERT_EQ(::chown(lock.c_str(), 65534, 65534), 0);
      break;
    case Obstacle::linkAtLockName:
      ASSERT_EQ(::unlink(lock.c_str()), 0);
      ASSERT_EQ(::symlink("usage-v1.json", lock.c_str()), 0);
      break;
    case Obstacle::fifoAtLockName:
      ASSERT_EQ(::unlink(lock.c_str()), 0);
      ASSERT_EQ(::mkfifo(lock.c_str(), 0600), 0);
      break;
    case Obstacle::heldLock: ASSERT_EQ(::flock(holder.get(), LOCK_EX), 0); break;
  }
  FaultyFiles files;
  ::alarm(10);  // a writer that waited for ever would otherwise hang the suite
  std::string refusal;
  try {
    store(files).write(UsageWidgetSnapshot::empty());
  } catch (const std::system_error& error) {
    refusal = error.what();
  }
  ::alarm(0);
  EXPECT_EQ(files.paused >= UsageSnapshotStore::lockTimeout, row.obstacle == Obstacle::heldLock);
  EXPECT_LT(files.paused, UsageSnapshotStore::lockTimeout + std::chrono::milliseconds(250));
  if (*row.refusal == '\0') {
    EXPECT_EQ(refusal, "");
    EXPECT_EQ(store().read(), UsageWidgetSnapshot::empty());
    EXPECT_EQ(modeOf(lock), 0600);
  } else {
    EXPECT_NE(refusal.find(row.refusal), std::string::npos) << refusal;
    EXPECT_EQ(files.calls[Call::open], 2);
    EXPECT_EQ(store().read(), sampleSnapshot());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Obstacles, UsageSnapshotStoreLockTest,
    testing::Values(LockCase{"SharedLockOnDirectory", Obstacle::sharedLockOnDirectory, ""},
                    LockCase{"LooseLockFile", Obstacle::looseLockFile, ""},
                    LockCase{"ForeignLockFile", Obstacle::foreignLockFile, "belongs to another user"},
                    LockCase{"LinkAtLockName", Obstacle::linkAtLockName, "Too many levels of symbolic links"},
                    LockCase{"FifoAtLockName", Obstacle::fifoAtLockName, "is a FIFO, not a regular file"},
                    LockCase{"HeldLock", Obstacle::heldLock, "another writer has held it for 5 seconds"}),
    [](const auto& row) { return std::string(row.param.name); });

// A write first removes the temporary files that dead writers left (whose lock no one holds), and neither one
// that a living writer holds nor anything that only resembles one.
TEST_F(UsageSnapshotStoreTest, AWriteRemovesWhatDeadWritersLeftAndNothingElse) {
  store().write(sampleSnapshot());
  const std::string living = ".usage-v1.json.livewriter00.tmp";
  const std::string lookalikes[] = {".usage-v1.json.short.tmp", "usage-v1.json.abcdefghijkl.tmp",
                                    ".usage-v1.json.abcdefghijkl.tmp.keep", ".usage-v1.json.ABCDEFGHIJKL.tmp",
                                    ".other.json.abcdefghijkl.tmp"};
  for (const std::string& name : lookalikes) writeBytes(root / name, "{\"sch");
  writeBytes(root / ".usage-v1.json.deadwriter00.tmp", "{\"sch");
  writeBytes(root / living, "{\"sch");
  const platform::FileDescriptor held(::open((root / living).c_str(), O_RDONLY | O_CLOEXEC));
  ASSERT_EQ(::flock(held.get(), LOCK_EX), 0) << "as a writer that is still at work holds its file";

  store().write(UsageWidgetSnapshot::empty());
  EXPECT_EQ(store().read(), UsageWidgetSnapshot::empty());
  EXPECT_EQ(temporaryFilesIn(root), std::vector<std::string>{living});
  for (const std::string& name : lookalikes) EXPECT_TRUE(fs::exists(root / name)) << name;
}

// Two processes forked from one that has written must not try the same temporary names: with the generator's
// state copied into both, each would take the name the other wants, and both would go through the same
// sequence of names, so that a killed writer's leftovers block the next one's first attempts.
TEST_F(UsageSnapshotStoreTest, ForkedWritersPickTheirOwnTemporaryNames) {
  store().write(sampleSnapshot());  // so that this thread's generator has a state to copy
  // Each writer leaves its temporary file behind: it removes no leftovers (the listing fails), and setting the
  // file's mode fails and so does removing it. A writer whose first name is taken fails to create a second.
  FaultyFiles files;
  files.faults = {{Call::open, 3, EMFILE}, {Call::fchmod, 1, EPERM}, {Call::unlink, 1, EIO}, {Call::open, 5, EACCES}};
  for (int writer = 0; writer < 2; ++writer) {
    const pid_t child = ::fork();
    if (child == 0) {
      try {
        store(files).write(UsageWidgetSnapshot::empty());
      } catch (const std::system_error& error) {
        ::_exit(error.code().value() == EPERM ? 0 : 1);
      }
      ::_exit(2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer " << writer << " ended " << status;
  }
  EXPECT_EQ(temporaryFilesIn(root).size(), 2U) << "the second writer tried the first one's name";
}

}  // namespace
}  // namespace velto
