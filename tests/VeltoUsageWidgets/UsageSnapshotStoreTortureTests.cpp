// UsageSnapshotStoreTortureTests: the snapshot file under concurrent readers and racing writers.
//
// A writer stopped at any step is the write-fault tests' part (each step fails in turn there). The counts
// default to the full ones (10,000 writes against 100,000 reads; 1,000 writes from two writers at once), under
// 30 s in all in a debug build on two quiet cores (90 s under a load of 15). Set VELTO_TORTURE_SCALE to a
// fraction such as 0.1 for a quicker run (CI does under the sanitizers), or above 1 for a longer one.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "SnapshotJson.h"
#include "UsageSnapshotStoreTesting.h"

namespace velto {
namespace {

using namespace store_testing;

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

class UsageSnapshotStoreTortureTest : public UsageSnapshotStoreTest {
 protected:
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

  /// Forks a process that writes `count` numbered snapshots from `first` on.
  pid_t startWriter(std::uint64_t first, std::uint64_t count,
                    platform::FileOperations& files = platform::FileOperations::system()) const {
    const pid_t child = ::fork();
    if (child == 0) {
      const UsageSnapshotStore writer(root, files);
      for (std::uint64_t sequence = first; sequence - first < count; ++sequence) {
        try {
          writer.write(numbered(sequence));
        } catch (const std::exception& error) {
          std::cerr << "writer " << sequence << ": " << error.what() << '\n';
          ::_exit(3);
        }
      }
      ::_exit(0);
    }
    return child;
  }

  /// Waits for the writer; true when it ended having written all it had to.
  static bool finished(pid_t writer) {
    int status = 0;
    return ::waitpid(writer, &status, 0) == writer && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
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
        last = sequence;
        if (duringWrites) ++readsDuringWrites;
      }
    });
  }
  writer.join();
  for (auto& reader : readers) reader.join();

  EXPECT_EQ(failures, 0U);
  EXPECT_EQ(store().read(), numbered(writes));
  EXPECT_GT(readsDuringWrites, 0U) << "without overlap the test would prove nothing";
}

// Two writer processes replacing the file at once: removing what dead writers left must never take the
// temporary file of a live one (its rename would then fail), and the last write wins whole.
TEST_F(UsageSnapshotStoreTortureTest, ConcurrentWritersNeverTakeEachOthersTemporaryFiles) {
  const std::size_t writes = scaled(1'000) / 2;
  writeAside(numbered(0));
  const pid_t writers[] = {startWriter(1, writes), startWriter(1'000'001, writes)};
  for (const pid_t writer : writers) EXPECT_TRUE(finished(writer)) << "a writer failed";
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
    TemporaryNameReporter files(ends[1]);
    const pid_t writer = startWriter(1, 1, files);
    ASSERT_GE(writer, 0);
    ::close(ends[1]);
    std::string reported;
    char buffer[256];
    for (ssize_t count = 0; (count = ::read(ends[0], buffer, sizeof buffer)) != 0;) {
      if (count > 0) reported.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(ends[0]);
    ASSERT_TRUE(finished(writer));
    names.push_back(reported);
  }
  EXPECT_NE(names[0], names[1]) << "both forked writers created " << names[0];
}

}  // namespace
}  // namespace velto
