// UsageSnapshotStoreTortureTests: the snapshot file under concurrent readers and a writer replacing it.
//
// A writer stopped at any step is the write-fault tests' part (each step fails in turn there). The counts
// default to the full ones (10,000 writes against 100,000 reads), under 30 s in all in a debug build on two
// quiet cores (90 s under a load of 15). Set VELTO_TORTURE_SCALE to a fraction such as 0.1 for a quicker run
// (CI does under the sanitizers), or above 1 for a longer one.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
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
  const UsageWidgetWindow window{.label = "window of write " + std::to_string(sequence), .kind = "week", .model = "",
                                 .percent = static_cast<double>(sequence % 1001)};
  for (std::size_t i = 0; i < 1 + sequence % 7; ++i) {
    // Up to 40 windows, so that the files range from a few hundred bytes to about 20 KiB.
    snapshot.accounts.push_back({.id = "account-" + std::to_string(i),
                                 .agent = "agent",
                                 .name = "write " + std::to_string(sequence) + " 第" + std::to_string(i),
                                 .windows = std::vector((sequence * 13 + i) % 41, window)});
  }
  return snapshot;
}

class UsageSnapshotStoreTortureTest : public UsageSnapshotStoreTest {};

// Readers race one writer that replaces the file as fast as it can. Each read must give a whole snapshot that
// some write produced (equal to it in every field), and no reader may see the sequence go back.
TEST_F(UsageSnapshotStoreTortureTest, ConcurrentReadersSeeOnlyWholeSnapshotsInOrder) {
  const std::size_t writes = scaled(10'000);
  const std::size_t readsPerReader = scaled(100'000) / 4;
  store().write(numbered(0));

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
        // The sequence number the snapshot claims, which the whole snapshot must then bear out.
        const Instant captured = outcome.snapshot ? outcome.snapshot->capturedAt : firstCapture;
        const auto sequence = static_cast<std::uint64_t>(captured - firstCapture);
        if (!outcome.snapshot || *outcome.snapshot != numbered(sequence) || sequence < last) {
          if (failures++ < 5) {
            ADD_FAILURE() << "reader " << r << " after write " << last << ": "
                          << (outcome.snapshot ? encode(*outcome.snapshot) : outcome.problem);
          }
          continue;
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

}  // namespace
}  // namespace velto
