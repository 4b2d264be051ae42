// TemporaryStore: a snapshot store over a fresh private folder, removed when the test ends.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "UsageSnapshotStore.h"

namespace velto::testing_support {

class TemporaryStore {
 public:
  TemporaryStore() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velto-store-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    folder_ = pattern;
  }
  TemporaryStore(const TemporaryStore&) = delete;
  TemporaryStore& operator=(const TemporaryStore&) = delete;
  ~TemporaryStore() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  UsageSnapshotStore store() const { return UsageSnapshotStore(folder_); }
  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
};

}  // namespace velto::testing_support
