// UsageSnapshotStoreTesting: the store tests' samples, file helpers, failing file operations and fixture.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "FileOperations.h"
#include "FileReplacement.h"
#include "SnapshotJson.h"
#include "TemporaryFolder.h"
#include "TestFiles.h"
#include "UsageSnapshotStore.h"

namespace velto::store_testing {

namespace fs = std::filesystem;
using testing_support::readFile;

/// A valid snapshot with windows, wallets and output in three accounts: a file of the JSON corpus.
inline UsageWidgetSnapshot sampleSnapshot() {
  return decodeSnapshot(readFile(fs::path(VELTO_FIXTURES_DIR) / "json/pass/three-accounts.json"));
}

inline void writeBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline mode_t modeOf(const fs::path& path) {
  struct stat status {};
  EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
  return status.st_mode & 07777;
}

/// The store's temporary files in `directory`; none when it does not exist.
inline std::vector<std::string> temporaryFilesIn(const fs::path& directory) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(directory, ignored)) {
    const std::string name = entry.path().filename().string();
    if (platform::isTemporaryName(name, UsageSnapshotStore::fileName)) names.push_back(name);
  }
  return names;
}

enum class Call { open, read, write, fstat, fstatat, fchmod, fsync, close, mkdir, rename, unlink, flock };

/// The system's operations, except that chosen calls fail: the nth call of a kind (counted from 1) returns
/// -1 with the given errno. Reads and writes can also be cut short, the status of a name can be made to lie,
/// something can happen right after a directory is made, and pauses are only counted.
class FaultyFiles : public platform::FileOperations {
 public:
  struct Fault {
    Call call;
    int nth;
    int error;
  };

  std::vector<Fault> faults;
  std::size_t maximumTransfer = SIZE_MAX;
  bool statSaysRegular = false;
  std::function<void()> afterMkdir;
  std::map<Call, int> calls;
  std::size_t bytesRead = 0;
  std::chrono::milliseconds paused{0};

  int openat(int directory, const char* path, int flags, mode_t mode) override {
    return fails(Call::open) ? -1 : FileOperations::openat(directory, path, flags, mode);
  }
  ssize_t read(int fd, void* buffer, std::size_t count) override {
    if (fails(Call::read)) return -1;
    const ssize_t result = FileOperations::read(fd, buffer, std::min(count, maximumTransfer));
    if (result > 0) bytesRead += static_cast<std::size_t>(result);
    return result;
  }
  ssize_t write(int fd, const void* buffer, std::size_t count) override {
    return fails(Call::write) ? -1 : FileOperations::write(fd, buffer, std::min(count, maximumTransfer));
  }
  int fstat(int fd, struct stat* status) override {
    return fails(Call::fstat) ? -1 : FileOperations::fstat(fd, status);
  }
  int fstatat(int directory, const char* path, struct stat* status, int flags) override {
    if (fails(Call::fstatat)) return -1;
    const int result = FileOperations::fstatat(directory, path, status, flags);
    if (result == 0 && statSaysRegular) status->st_mode = (status->st_mode & ~static_cast<mode_t>(S_IFMT)) | S_IFREG;
    return result;
  }
  int fchmod(int fd, mode_t mode) override { return fails(Call::fchmod) ? -1 : FileOperations::fchmod(fd, mode); }
  int fsync(int fd) override { return fails(Call::fsync) ? -1 : FileOperations::fsync(fd); }
  // Like Linux, a failing close has still released the descriptor.
  int close(int fd) override {
    const int result = FileOperations::close(fd);
    return fails(Call::close) ? -1 : result;
  }
  int mkdirat(int directory, const char* path, mode_t mode) override {
    if (fails(Call::mkdir)) return -1;
    const int result = FileOperations::mkdirat(directory, path, mode);
    if (result == 0 && afterMkdir) afterMkdir();
    return result;
  }
  int renameat(int fromDirectory, const char* from, int toDirectory, const char* to) override {
    return fails(Call::rename) ? -1 : FileOperations::renameat(fromDirectory, from, toDirectory, to);
  }
  int unlinkat(int directory, const char* path, int flags) override {
    return fails(Call::unlink) ? -1 : FileOperations::unlinkat(directory, path, flags);
  }
  int flock(int fd, int operation) override { return fails(Call::flock) ? -1 : FileOperations::flock(fd, operation); }
  void pause(std::chrono::milliseconds duration) override { paused += duration; }

 private:
  bool fails(Call call) {
    const int nth = ++calls[call];
    for (const Fault& fault : faults) {
      if (fault.call == call && fault.nth == nth) {
        errno = fault.error;
        return true;
      }
    }
    return false;
  }
};

class UsageSnapshotStoreTest : public testing::Test {
 protected:
  fs::path file() const { return root / "usage-v1.json"; }
  UsageSnapshotStore store(platform::FileOperations& files = platform::FileOperations::system()) const {
    return UsageSnapshotStore(root, files);
  }

  const testing_support::TemporaryFolder folder;
  const fs::path& root = folder.path();
};

}  // namespace velto::store_testing
