// UsageSnapshotStoreTests: the snapshot file on a real file system: what is read and written, and read faults.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "SnapshotError.h"
#include "SnapshotJson.h"
#include "UsageSnapshotStoreTesting.h"

namespace velto {
namespace {

namespace fs = std::filesystem;
using namespace store_testing;

UsageWidgetSnapshot withBadAgent() {
  UsageWidgetSnapshot snapshot = sampleSnapshot();
  snapshot.accounts[1].agent = "Crane";
  return snapshot;
}

// 0277 would leave a new directory 0500, in which the next level could not even be created, and the file 0400:
// whatever the umask takes away, the modes are set exactly. An existing directory keeps its mode.
TEST_F(UsageSnapshotStoreTest, NewDirectoriesAre0700AndTheFile0600WhateverTheUmask) {
  ASSERT_EQ(::chmod(root.c_str(), 0755), 0);
  const fs::path directory = root / "a" / "b" / "UsageWidget";
  const mode_t previous = ::umask(0277);
  EXPECT_NO_THROW(UsageSnapshotStore(directory).write(sampleSnapshot()));
  ::umask(previous);
  for (const fs::path& created : {root / "a", root / "a" / "b", directory}) EXPECT_EQ(modeOf(created), 0700) << created;
  EXPECT_EQ(modeOf(directory / "usage-v1.json"), 0600);
  EXPECT_EQ(modeOf(root), 0755);
  EXPECT_EQ(UsageSnapshotStore(directory).read(), sampleSnapshot());
}

struct EntryCase {
  const char* name;
  bool (*make)(const fs::path& file);  ///< puts the entry at the file's name; false when this system does not let us
  bool statFooled;                     ///< the name's status calls the entry regular (swapped between lstat and open)
  const char* problem;                 ///< what is said after "<file>: "
};

bool makeLink(const fs::path& file) {
  writeBytes(file.parent_path() / "elsewhere.json", encode(sampleSnapshot()));
  return ::symlink("elsewhere.json", file.c_str()) == 0;
}

// A link is refused by the name's status and, fooled, by the open; the other kinds are each refused once, by the
// checks on the open descriptor, which see through a fooled status and must not block on a FIFO.
const EntryCase entries[] = {
    {"Symlink", makeLink, false, "a symbolic link, not a regular file"},
    {"SymlinkWithStatusFooled", makeLink, true, "Too many levels of symbolic links"},
    {"DirectoryWithStatusFooled", [](const fs::path& file) { return ::mkdir(file.c_str(), 0700) == 0; }, true,
     "a directory, not a regular file"},
    {"FifoWithStatusFooled", [](const fs::path& file) { return ::mkfifo(file.c_str(), 0600) == 0; }, true,
     "a FIFO, not a regular file"},
    {"DeviceNodeWithStatusFooled",
     [](const fs::path& file) { return ::mknod(file.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0; }, true,
     "a character device, not a regular file"},
};

class UsageSnapshotStoreEntryTest : public UsageSnapshotStoreTest, public testing::WithParamInterface<EntryCase> {};

TEST_P(UsageSnapshotStoreEntryTest, AnythingButARegularFileYieldsNothingWithoutBlocking) {
  const EntryCase& row = GetParam();
  if (!row.make(file())) GTEST_SKIP() << "this entry kind cannot be made here";
  FaultyFiles files;
  files.statSaysRegular = row.statFooled;
  ::alarm(10);  // a blocking open would otherwise hang the suite; SIGALRM ends it loudly instead
  const auto outcome = store(files).inspect();
  ::alarm(0);
  EXPECT_EQ(outcome.snapshot, std::nullopt);
  EXPECT_EQ(outcome.problem, file().string() + ": " + row.problem);
  EXPECT_EQ(files.calls[Call::open] == 0, !row.statFooled) << "what the status refuses is not even opened";
}

INSTANTIATE_TEST_SUITE_P(Entries, UsageSnapshotStoreEntryTest, testing::ValuesIn(entries),
                         [](const auto& row) { return std::string(row.param.name); });

// The limit counts the file's bytes, a byte order mark included; the padding is valid JSON white space, so
// only the size can make the oversized files unreadable, and no more than one byte beyond the limit is read.
// Interrupted and short reads are absorbed; failing calls yield nothing and say why.
TEST_F(UsageSnapshotStoreTest, ContentAndReadFaultsYieldTheSnapshotOrSayWhyNot) {
  const auto padded = [](std::string_view byteOrderMark, std::size_t size) {
    std::string bytes = std::string(byteOrderMark) + encode(sampleSnapshot());
    bytes.resize(size, ' ');
    return bytes;
  };
  const std::string_view mark = "\xEF\xBB\xBF";
  const std::string sample = encode(sampleSnapshot());
  const struct {
    std::string content;
    std::vector<FaultyFiles::Fault> faults;
    std::size_t maximumTransfer;
    std::string problem;  ///< the start of what is said after "<file>: "; empty: the snapshot is read
  } rows[] = {
      {padded("", 1 << 20), {}, SIZE_MAX, "more than 65,536 bytes"},
      {padded(mark, 65536), {}, SIZE_MAX, ""},
      {padded(mark, 65537), {}, SIZE_MAX, "more than 65,536 bytes"},
      {"", {}, SIZE_MAX, "empty"},
      {"usage: none", {}, SIZE_MAX, "document: "},
      {encode(withBadAgent()), {}, SIZE_MAX, "accounts[1].agent: must match"},
      {sample, {{Call::read, 2, EINTR}, {Call::read, 5, EINTR}}, 3, ""},
      {sample, {{Call::read, 2, EIO}}, 16, "cannot be read: Input/output error"},
      {sample, {{Call::open, 1, EACCES}}, SIZE_MAX, "Permission denied"},
      {sample, {{Call::fstat, 1, EIO}}, SIZE_MAX, "Input/output error"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.content.size()) + " bytes, " + std::to_string(row.faults.size()) + " faults");
    writeBytes(file(), row.content);
    FaultyFiles files;
    files.faults = row.faults;
    files.maximumTransfer = row.maximumTransfer;
    const auto outcome = store(files).inspect();
    EXPECT_LE(files.bytesRead, 65537U);
    if (row.problem.empty()) {
      EXPECT_EQ(outcome.snapshot, sampleSnapshot());
      EXPECT_EQ(outcome.problem, "");
    } else {
      EXPECT_EQ(outcome.snapshot, std::nullopt);
      EXPECT_TRUE(outcome.problem.starts_with(file().string() + ": " + row.problem)) << outcome.problem;
    }
  }
}

// Refused writes create nothing, not even a missing directory.
TEST_F(UsageSnapshotStoreTest, EncodingOfExactly65536BytesIsWrittenAndRefusedWritesTouchNothing) {
  // Seven accounts of 64 windows with 100-character labels encode to a little more than 65,536 bytes; the last
  // account's labels are cut by the excess (one byte a character).
  const UsageWidgetWindow window{.label = std::string(100, 'x'), .kind = "k", .model = "", .percent = 50};
  UsageWidgetSnapshot largest{.server = "server", .capturedAt = 1'700'000'000};
  for (int i = 0; i < 7; ++i) {
    largest.accounts.push_back(
        {.id = "account-" + std::to_string(i), .agent = "agent", .name = "Name", .windows = std::vector(64, window)});
  }
  std::size_t excess = encode(largest).size() - UsageWidgetSnapshot::maximumBytes;
  for (auto shortened = largest.accounts.back().windows.rbegin(); excess > 0; ++shortened) {
    const std::size_t cut = std::min(excess, shortened->label.size());
    shortened->label.resize(shortened->label.size() - cut);
    excess -= cut;
  }
  ASSERT_EQ(encode(largest).size(), 65536U);
  store().write(largest);

  UsageWidgetSnapshot oneByteTooLarge = largest;
  oneByteTooLarge.server += "s";
  ASSERT_EQ(encode(oneByteTooLarge).size(), 65537U);
  const std::pair<UsageWidgetSnapshot, SnapshotError> refusals[] = {{withBadAgent(), SnapshotError::invalid},
                                                                    {oneByteTooLarge, SnapshotError::tooLarge}};
  for (const auto& [snapshot, expected] : refusals) {
    try {
      UsageSnapshotStore(root / "new" / "UsageWidget").write(snapshot);
      ADD_FAILURE() << "written: " << name(expected);
    } catch (const SnapshotFailure& failure) {
      EXPECT_EQ(failure.error(), expected);
      if (expected == SnapshotError::invalid) {
        EXPECT_NE(std::string(failure.what()).find("accounts[1].agent"), std::string::npos) << failure.what();
      }
    }
  }
  EXPECT_FALSE(fs::exists(root / "new"));
}

// Without a shared directory nothing is read, writing is unavailable and clearing does nothing. (Where the
// shared one lies is the command-line tests' part: the host's and the widget's commands meet there.)
TEST_F(UsageSnapshotStoreTest, WithoutADirectoryNothingIsReadOrWritten) {
  const UsageSnapshotStore none(std::nullopt);
  EXPECT_EQ(none.inspect().problem, "no shared directory");
  try {
    none.write(sampleSnapshot());
    FAIL() << "written without a directory";
  } catch (const SnapshotFailure& failure) {
    EXPECT_EQ(failure.error(), SnapshotError::unavailable);
  }
  EXPECT_EQ(none.erase(), "");
}

TEST_F(UsageSnapshotStoreTest, ClearRemovesTheFileAndKeepsTheDirectory) {
  store().write(sampleSnapshot());
  store().clear();
  EXPECT_EQ(store().inspect().problem, file().string() + ": No such file or directory");
  EXPECT_TRUE(fs::is_directory(root));
  EXPECT_EQ(store().erase(), "") << "a missing file is already cleared";
  ASSERT_EQ(::mkdir(file().c_str(), 0700), 0);
  EXPECT_EQ(store().erase(), file().string() + ": Is a directory");
}

// A failure to open the directory is a write fault (the first open failing); a linked shared directory is fine.
TEST_F(UsageSnapshotStoreTest, ALinkedDirectoryIsFollowed) {
  ASSERT_EQ(::mkdir((root / "real").c_str(), 0700), 0);
  ASSERT_EQ(::symlink("real", (root / "linked").c_str()), 0);
  UsageSnapshotStore(root / "linked").write(sampleSnapshot());
  EXPECT_EQ(UsageSnapshotStore(root / "real").read(), sampleSnapshot());
}

}  // namespace
}  // namespace velto
