// WidgetRequestBenchmarks: what a widget does per request (store read, decode, validation, transition dates),
// beside a bare read of the same file and a bare simdjson DOM parse of its bytes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <simdjson.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>

#include "BenchInputs.h"
#include "UsageSnapshotStore.h"

namespace velto::bench {
namespace {

namespace fs = std::filesystem;

/// Private folders, one per stored snapshot, removed when the program ends.
class StoredSnapshots {
 public:
  StoredSnapshots() = default;
  StoredSnapshots(const StoredSnapshots&) = delete;
  StoredSnapshots& operator=(const StoredSnapshots&) = delete;
  ~StoredSnapshots() {
    std::error_code ignored;
    for (const auto& [accounts, folder] : folders_) fs::remove_all(folder, ignored);
  }

  /// The folder holding the snapshot with `accounts` accounts; fullMixed and fullAscii name the full ones.
  static constexpr std::size_t fullMixed = 0;
  static constexpr std::size_t fullAscii = 1000;
  const fs::path& folder(std::size_t accounts) {
    auto found = folders_.find(accounts);
    if (found != folders_.end()) return found->second;
    std::string pattern = (fs::temp_directory_path() / "velto-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category(), "mkdtemp");
    UsageSnapshotStore(fs::path(pattern))
        .write(accounts == fullMixed   ? fullSnapshot(Script::mixed)
               : accounts == fullAscii ? fullSnapshot(Script::ascii)
                                       : snapshotWithAccounts(accounts));
    return folders_.emplace(accounts, fs::path(pattern)).first->second;
  }

 private:
  std::map<std::size_t, fs::path> folders_;
};

StoredSnapshots& stored() {
  static StoredSnapshots snapshots;
  return snapshots;
}

/// What a widget asks for each time it is drawn: the stored snapshot and when it next changes by itself.
void request(const UsageSnapshotStore& store, benchmark::State& state) {
  const auto snapshot = store.read();
  if (!snapshot) {
    state.SkipWithError("the stored snapshot does not read back");
    return;
  }
  auto dates = snapshot->transitionDates(benchNow + 60);
  benchmark::DoNotOptimize(dates);
}

void WidgetRequest(benchmark::State& state, std::size_t which) {
  const UsageSnapshotStore store(stored().folder(which));
  for (auto _ : state) request(store, state);
}
BENCHMARK_CAPTURE(WidgetRequest, mixed, StoredSnapshots::fullMixed)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(WidgetRequest, ascii, StoredSnapshots::fullAscii)->Unit(benchmark::kMicrosecond);

// The same file opened, read whole and closed, then parsed by a parser made for it.
void BareReadAndParse(benchmark::State& state, std::size_t which) {
  const fs::path file = stored().folder(which) / UsageSnapshotStore::fileName;
  for (auto _ : state) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    std::string bytes(UsageWidgetSnapshot::maximumBytes + 1, '\0');
    std::size_t size = 0;
    for (ssize_t count = 0; size < bytes.size(); size += static_cast<std::size_t>(count)) {
      count = ::read(fd, bytes.data() + size, bytes.size() - size);
      if (count <= 0) break;
    }
    ::close(fd);
    simdjson::dom::parser parser;
    simdjson::dom::element root;
    if (parser.parse(bytes.data(), size).get(root)) state.SkipWithError("the stored file does not parse");
    benchmark::DoNotOptimize(root);
  }
}
BENCHMARK_CAPTURE(BareReadAndParse, mixed, StoredSnapshots::fullMixed)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BareReadAndParse, ascii, StoredSnapshots::fullAscii)->Unit(benchmark::kMicrosecond);

void WidgetRequestScaling(benchmark::State& state) {
  const UsageSnapshotStore store(stored().folder(static_cast<std::size_t>(state.range(0))));
  for (auto _ : state) request(store, state);
  state.counters["accounts"] = static_cast<double>(state.range(0));
}
BENCHMARK(WidgetRequestScaling)->Arg(1)->Arg(10)->Arg(80)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velto::bench
