// UsageSnapshotStore: reads, writes and clears the one snapshot file in a shared directory.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "FileOperations.h"
#include "UsageWidgetSnapshot.h"

namespace velto {

/// A plain value over an optional directory. Reading never reports (every problem yields nothing);
/// writing throws SnapshotFailure for the store's own refusals and std::system_error for the system's.
class UsageSnapshotStore {
 public:
  static constexpr std::string_view groupIdentifier = "group.com.velto.app.usage";
  static constexpr std::string_view fileName = "usage-v1.json";
  static constexpr std::string_view directoryName = "UsageWidget";
  /// The file in the directory that writers lock to take turns; only its owner can open it.
  static constexpr std::string_view lockFileName = ".usage-v1.json.lock";
  /// How long a writer waits for another to release the lock before it gives up.
  static constexpr std::chrono::seconds lockTimeout{5};

  /// What a read found: the snapshot, or a sentence that says why there is none.
  struct ReadOutcome {
    std::optional<UsageWidgetSnapshot> snapshot;
    std::string problem;
  };

  /// A store over `directory` (nothing: no shared directory could be resolved). Touches no file.
  explicit UsageSnapshotStore(std::optional<std::filesystem::path> directory,
                              platform::FileOperations& files = platform::FileOperations::system());

  /// The store over "UsageWidget" in the container of `groupIdentifier`, resolved anew on every call.
  static UsageSnapshotStore shared();

  const std::optional<std::filesystem::path>& directory() const { return directory_; }

  /// The stored snapshot when the file is a regular file of at most 65,536 bytes that decodes and validates.
  std::optional<UsageWidgetSnapshot> read() const;
  /// The same read, keeping the reason when it yields nothing.
  ReadOutcome inspect() const;

  /// Validates, encodes and atomically replaces the file, leaving it with mode 0600, after taking the lock
  /// (waiting at most lockTimeout for another writer). A failure before the rename leaves the previous file as
  /// it was and no temporary file behind; a failure of the final sync of the directory, after the rename, says
  /// that the new snapshot is in place but may not be durable.
  void write(const UsageWidgetSnapshot& snapshot) const;

  /// Deletes the file; never reports, and keeps the directory.
  void clear() const;
  /// The same deletion, saying why the file could not be deleted in a sentence that names it; empty when it is
  /// gone, as when it never existed.
  std::string erase() const;

 private:
  std::optional<std::filesystem::path> directory_;
  platform::FileOperations* files_;
};

}  // namespace velto
