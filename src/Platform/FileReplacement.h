// FileReplacement: a file replaced whole, so that a reader sees all of the old one or all of the new one.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string_view>

#include "FileOperations.h"

namespace velto::platform {

/// The permissions a replacement file gets.
struct FilePermissions {
  mode_t mode = 0600;
  /// True: exactly `mode`. False: `mode` less the process's umask, as any new file gets.
  bool exact = true;
};

/// Replaces the entry `name` of the directory open as `directory` with a regular file holding `bytes`. A new
/// temporary file beside it (".NAME.<12 of a-z0-9>.tmp", created exclusively, never through a link, and locked
/// by its writer until the end) is written, flushed to disk and renamed over `name`; then the directory is
/// flushed, so that the rename survives a crash. Until the rename, a failure leaves the old entry as it was
/// and removes the temporary file. When only the last step fails, the error says that the new file is in
/// place but may not be durable. Throws std::system_error naming the step and the file (in `shownDirectory`).
void replaceFile(FileOperations& files, int directory, const std::filesystem::path& shownDirectory,
                 std::string_view name, std::string_view bytes, FilePermissions permissions);

/// Removes the temporary files that writers of `name` left in `directory` when they ended before their rename
/// (killed, or the machine stopped): those that no living writer holds locked. Best effort: what cannot be
/// listed or removed now is left for the next time.
void removeAbandonedTemporaries(FileOperations& files, int directory, std::string_view name);

/// True when `entry` is a name replaceFile gives the temporary files of `name`.
bool isTemporaryName(std::string_view entry, std::string_view name);

}  // namespace velto::platform
