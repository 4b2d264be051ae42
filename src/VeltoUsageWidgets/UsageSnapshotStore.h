// UsageSnapshotStore: reads, writes and clears the one snapshot file in a shared directory.
#pragma once

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

  /// Validates, encodes and atomically replaces the file, leaving it with mode 0600; on any failure the
  /// previous file stays as it was and no temporary file is left behind.
  void write(const UsageWidgetSnapshot& snapshot) const;

  /// Deletes the file; never reports, and keeps the directory.
  void clear() const;

 private:
  std::optional<std::filesystem::path> directory_;
  platform::FileOperations* files_;
};

}  // namespace velto
