// UsageSnapshotStoreTortureTests: the snapshot file under concurrent readers, killed writers and racing writers.
//
// The counts default to the full ones (10,000 writes against 100,000 reads; 1,000 killed writers; 1,000 writes
// from two writers at once), about 30 s in all in a debug build on two quiet cores. Set VELTO_TORTURE_SCALE to
// a fraction such as 0.1 for a quicker run (CI does under the sanitizers), or above 1 for a longer one.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "SnapshotJson.h"
#include "TemporaryFolder.h"
#include "UsageSnapshotStore.h"

namespace velto {
namespace {

namespace fs = std::filesystem;

constexpr Instant firstCapture = 1'700'000'000;

/// `count` scaled by VELTO_TORTURE_SCALE, at least 1.
std::size_t scaled(std::size_t count) {
  const char* text = std::getenv("VELTO_TORTURE_SCALE");
  const double scale = text != nullptr ? std::atof(text) : 1.0;
  return std::max<std::size_t>(1, static_cast<std::size_t>(static_cast<double>(count) * (scale > 0 ? scale : 1.0)));
}

/// The snapshot written as number `sequence`: its capture time carries the number, and its size and every
/// account's name depend on it, so that a read mixing two writes, or cut short, cannot pass for either.
UsageWidgetSnapshot numbered(std::uint64_t sequence) {
  UsageWidgetSnapshot snapshot{.server = "torture", .capturedAt = firstCapture + static_cast<double>(sequence)};
  const std::size_t accounts = 1 + sequence % 7;
  for (std::size_t i = 0; i < accounts; ++i) {
    UsageWidgetAccount account{.id = "account-" + std::to_string(i),
                               .agent = "agent",
                               .name = "write " + std::to_string(sequence) + " 第" + std::to_string(i)};
    // Up to 40 windows, so that the files range from a few hundred bytes to about 40 KiB.
    for (std::size_t w = 0; w < (sequence * 13 + i) % 41; ++w) {
      account.windows.push_back({.label = "window " + std::to_string(w) + " of " + std::to_string(sequence),
                                 .kind = "week",
                                 .model = "",
                                 .percent = static_cast<double>((sequence + w) % 1001)});
    }
    snapshot.accounts.push_back(std::move(account));
  }
  return snapshot;
}

/// The sequence number a read snapshot claims; the caller then checks it against the whole snapshot.
std::uint64_t sequenceOf(const UsageWidgetSnapshot& snapshot) {
  return static_cast<std::uint64_t>(snapshot.capturedAt - firstCapture);
}

/// True for the names the store gives its temporary files: ".usage-v1.json." and 12 of [a-z0-9], then ".tmp".
bool isStoreTemporary(std::string_view name) {
  constexpr std::string_view prefix = ".usage-v1.json.";
  constexpr std::string_view suffix = ".tmp";
  if (name.size() != prefix.size() + 12 + suffix.size() || !name.starts_with(prefix) || !name.ends_with(suffix)) {
    return false;
  }
  const std::string_view random = name.substr(prefix.size(), 12);
  return std::all_of(random.begin(), random.end(),
                     [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); });
}

std::vector<std::string> temporaryFilesIn(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) {
    const std::string name = entry.path().filename().string();
    if (isStoreTemporary(name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

class UsageSnapshotStoreTortureTest : public testing::Test {
 protected:
  UsageSnapshotStore store() const { return UsageSnapshotStore(root); }

  /// Writes from a thread of its own. The store draws temporary names from a generator per thread, and a
  /// process forked from a thread that has drawn from it replays that thread's next names; the tests that fork
  /// writers keep their own thread's generator unused so that each writer's names are its own (see
  /// ForkedWritersPickTheirOwnTemporaryNames).
  void writeAside(const UsageWidgetSnapshot& snapshot) const {
    std::exception_ptr failure;
    std::thread([&] {
      try {
        store().write(snapshot);
      } catch (...) {
        failure = std::current_exception();
      }
    }).join();
    if (failure) std::rethrow_exception(failure);
  }

  /// Forks a process that writes numbered snapshots from `first` on until it is killed.
  pid_t startWriter(std::uint64_t first) const {
    const pid_t child = ::fork();
    if (child == 0) {
      const UsageSnapshotStore writer(root);
      for (std::uint64_t sequence = first;; ++sequence) {
        try {
          writer.write(numbered(sequence));
        } catch (const std::exception& error) {
          std::cerr << "writer " << sequence << ": " << error.what() << '\n';
          ::_exit(3);
        }
      }
    }
    return child;
  }

  /// Kills the writer with SIGKILL and reaps it; false when it ended any other way.
  static bool kill(pid_t writer) {
    ::kill(writer, SIGKILL);
    int status = 0;
    while (::waitpid(writer, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  }

  const testing_support::TemporaryFolder folder;
  const fs::path& root = folder.path();
};

// Readers race one writer that replaces the file as fast as it can. Each read must give a whole snapshot that
// some write produced (equal to it in every field), and no reader may see the sequence go back.
TEST_F(UsageSnapshotStoreTortureTest, ConcurrentReadersSeeOnlyWholeSnapshotsInOrder) {
  const std::size_t writes = scaled(10'000);
  const std::size_t readsPerReader = scaled(100'000) / 4;
  writeAside(numbered(0));

  std::atomic<bool> writing{true};
  std::atomic<std::size_t> failures{0};
  std::atomic<std::size_t> readsDuringWrites{0};
  std::vector<std::size_t> distinct(4, 0);
  std::thread writer([&] {
    for (std::uint64_t sequence = 1; sequence <= writes; ++sequence) store().write(numbered(sequence));
    writing = false;
  });
  std::vector<std::thread> readers;
  for (std::size_t r = 0; r < 4; ++r) {
    readers.emplace_back([&, r] {
      std::uint64_t last = 0;
      for (std::size_t i = 0; i < readsPerReader; ++i) {
        const bool duringWrites = writing;
        const auto outcome = store().inspect();
        if (!outcome.snapshot) {
          if (failures++ < 5) ADD_FAILURE() << "read " << i << " of reader " << r << ": " << outcome.problem;
          continue;
        }
        const std::uint64_t sequence = sequenceOf(*outcome.snapshot);
        if (*outcome.snapshot != numbered(sequence) || sequence < last) {
          if (failures++ < 5) {
            ADD_FAILURE() << "reader " << r << " read write " << sequence << " after write " << last << ": "
                          << encode(*outcome.snapshot);
          }
        }
        if (sequence != last) ++distinct[r];
        last = sequence;
        if (duringWrites) ++readsDuringWrites;
      }
    });
  }
  writer.join();
  for (auto& reader : readers) reader.join();

  EXPECT_EQ(failures, 0U);
  EXPECT_EQ(store().read(), numbered(writes));
  // Without overlap the test would prove nothing; say how much there was.
  EXPECT_GT(readsDuringWrites, 0U);
  std::cout << "[          ] " << writes << " writes, " << 4 * readsPerReader << " reads (" << readsDuringWrites
            << " while writing); changes seen per reader:";
  for (const std::size_t seen : distinct) std::cout << ' ' << seen;
  std::cout << '\n';
}

// A writer process killed with SIGKILL at a random moment, over and over. Whatever step it was at, the file
// must hold a whole snapshot that it or an earlier writer wrote; temporary files it leaves are counted.
TEST_F(UsageSnapshotStoreTortureTest, WriterKilledAtRandomMomentsLeavesAWholeSnapshot) {
  const std::size_t kills = scaled(1'000);
  writeAside(numbered(0));
  std::mt19937_64 random(20261201);
  // Up to about four writes' time, so that kills land in every step of a write, including the first.
  std::uniform_int_distribution<int> delay(0, 2'000);
  std::uint64_t next = 1;
  std::uint64_t last = 0;
  std::size_t leftBehind = 0;
  std::size_t killsLeavingOne = 0;
  std::size_t killsAfterAWrite = 0;
  for (std::size_t k = 0; k < kills; ++k) {
    const pid_t writer = startWriter(next);
    ASSERT_GT(writer, 0) << std::strerror(errno);
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    ASSERT_TRUE(kill(writer)) << "the writer ended before it was killed";

    const auto outcome = store().inspect();
    ASSERT_TRUE(outcome.snapshot) << "after kill " << k << ": " << outcome.problem;
    const std::uint64_t sequence = sequenceOf(*outcome.snapshot);
    ASSERT_EQ(*outcome.snapshot, numbered(sequence)) << "after kill " << k;
    ASSERT_GE(sequence, last) << "after kill " << k;
    if (sequence >= next) ++killsAfterAWrite;
    last = sequence;
    next = sequence + 1'000'000;  // each writer's numbers are above any earlier writer's

    const std::size_t now = temporaryFilesIn(root).size();
    if (now > leftBehind) ++killsLeavingOne;
    leftBehind = now;
  }
  std::cout << "[          ] " << kills << " writers killed, " << killsAfterAWrite << " after one write or more; "
            << killsLeavingOne << " left a temporary file behind, " << leftBehind << " remain\n";
  RecordProperty("temporaries_left", static_cast<int>(leftBehind));
}

/// Puts a file named as the store names its temporaries (or `name`) into `directory`.
fs::path plant(const fs::path& directory, const std::string& name) {
  const fs::path path = directory / name;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  EXPECT_GE(fd, 0) << path << ": " << std::strerror(errno);
  if (fd >= 0) {
    EXPECT_EQ(::write(fd, "{\"sch", 5), 5);
    ::close(fd);
  }
  return path;
}

/// The system's operations, except that the rename never comes: the writer says so on a pipe and waits there
/// to be killed, its temporary file written in full.
class StopBeforeRename : public platform::FileOperations {
 public:
  explicit StopBeforeRename(int pipe) : pipe_(pipe) {}
  int renameat(int, const char*, int, const char*) override {
    static_cast<void>(::write(pipe_, "r", 1));
    for (;;) ::pause();
  }

 private:
  int pipe_;
};

// The next write removes every temporary file that killed writers left, and nothing that only resembles one or
// that a living writer holds.
TEST_F(UsageSnapshotStoreTortureTest, NextWriteRemovesWhatKilledWritersLeft) {
  writeAside(numbered(0));
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  const pid_t writer = ::fork();
  ASSERT_GE(writer, 0) << std::strerror(errno);
  if (writer == 0) {
    StopBeforeRename files(ends[1]);
    UsageSnapshotStore(root, files).write(numbered(1));
    ::_exit(3);
  }
  char stopped = 0;
  ASSERT_EQ(::read(ends[0], &stopped, 1), 1);
  ::close(ends[0]);
  ::close(ends[1]);
  ASSERT_TRUE(kill(writer));
  ASSERT_EQ(temporaryFilesIn(root).size(), 1U) << "the killed writer's temporary file";

  plant(root, ".usage-v1.json.deadwriter00.tmp");
  const fs::path living = plant(root, ".usage-v1.json.livewriter00.tmp");
  const int held = ::open(living.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(held, LOCK_EX), 0) << "as a writer that is still at work holds its file";
  const std::string lookalikes[] = {".usage-v1.json.short.tmp", "usage-v1.json.abcdefghijkl.tmp",
                                    ".usage-v1.json.abcdefghijkl.tmp.keep", ".usage-v1.json.ABCDEFGHIJKL.tmp",
                                    ".other.json.abcdefghijkl.tmp"};
  for (const std::string& lookalike : lookalikes) plant(root, lookalike);

  writeAside(numbered(2));
  EXPECT_EQ(store().read(), numbered(2));
  EXPECT_EQ(temporaryFilesIn(root), std::vector<std::string>{".usage-v1.json.livewriter00.tmp"});
  for (const std::string& lookalike : lookalikes) EXPECT_TRUE(fs::exists(root / lookalike)) << lookalike;
  ::close(held);
}

// Two writer processes replacing the file at once: removing what dead writers left must never take the
// temporary file of a live one (its rename would then fail), and the last write wins whole.
TEST_F(UsageSnapshotStoreTortureTest, ConcurrentWritersNeverTakeEachOthersTemporaryFiles) {
  const std::size_t writes = scaled(1'000) / 2;
  writeAside(numbered(0));
  pid_t writers[2];
  for (std::uint64_t w = 0; w < 2; ++w) {
    writers[w] = ::fork();
    ASSERT_GE(writers[w], 0) << std::strerror(errno);
    if (writers[w] == 0) {
      for (std::uint64_t sequence = 1; sequence <= writes; ++sequence) {
        try {
          store().write(numbered(w * 1'000'000 + sequence));
        } catch (const std::exception& error) {
          std::cerr << "writer " << w << ", write " << sequence << ": " << error.what() << '\n';
          ::_exit(3);
        }
      }
      ::_exit(0);
    }
  }
  for (const pid_t writer : writers) {
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed; status " << status;
  }
  const auto last = store().read();
  ASSERT_TRUE(last);
  EXPECT_EQ(*last, numbered(sequenceOf(*last)));
  EXPECT_EQ(temporaryFilesIn(root), std::vector<std::string>{});
}

/// The system's operations, reporting the path of every temporary file the store creates to a pipe.
class TemporaryNameReporter : public platform::FileOperations {
 public:
  explicit TemporaryNameReporter(int pipe) : pipe_(pipe) {}
  int openat(int directory, const char* path, int flags, mode_t mode) override {
    if ((flags & O_EXCL) != 0) {
      const std::string line = std::string(path) + '\n';
      static_cast<void>(::write(pipe_, line.data(), line.size()));
    }
    return FileOperations::openat(directory, path, flags, mode);
  }

 private:
  int pipe_;
};

// Two processes forked from one that has written must not try the same temporary names: with the generator's
// state copied into both, each would take the name the other wants, and both would go through the same
// sequence of names, so that a killed writer's leftovers block the next one's first attempts.
TEST_F(UsageSnapshotStoreTortureTest, ForkedWritersPickTheirOwnTemporaryNames) {
  store().write(numbered(0));  // on this thread, so that its generator has a state to copy
  std::vector<std::string> names;
  for (int child = 0; child < 2; ++child) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
      ::close(ends[0]);
      TemporaryNameReporter files(ends[1]);
      try {
        UsageSnapshotStore(root, files).write(numbered(1));
      } catch (...) {
        ::_exit(3);
      }
      ::_exit(0);
    }
    ::close(ends[1]);
    std::string reported;
    char buffer[256];
    for (ssize_t count = 0; (count = ::read(ends[0], buffer, sizeof buffer)) != 0;) {
      if (count > 0) reported.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(ends[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    names.push_back(reported);
  }
  EXPECT_NE(names[0], names[1]) << "both forked writers created " << names[0];
}

}  // namespace
}  // namespace velto
