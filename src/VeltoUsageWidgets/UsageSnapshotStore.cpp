// UsageSnapshotStore: the snapshot file's one reader and writer, bounded in size and replaced atomically.
#include "UsageSnapshotStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <system_error>
#include <utility>

#include "BoundedRead.h"
#include "ByteCount.h"
#include "FileDescriptor.h"
#include "FileReplacement.h"
#include "GroupContainer.h"
#include "JsonDecodingError.h"
#include "SnapshotError.h"
#include "SnapshotJson.h"
#include "SnapshotValidation.h"

namespace velto {
namespace {

namespace fs = std::filesystem;
using platform::FileDescriptor;
using platform::FileOperations;

constexpr std::size_t maximumBytes = UsageWidgetSnapshot::maximumBytes;
constexpr mode_t directoryMode = 0700;
constexpr mode_t fileMode = 0600;
/// The first pause between attempts to take the lock, and the longest. Short, because a writer that writes
/// again at once frees the lock only for the moment it validates and encodes its next snapshot: a waiter that
/// looked only every few hundred milliseconds could miss every such moment until its time ran out.
constexpr std::chrono::milliseconds firstLockPause{1};
constexpr std::chrono::milliseconds longestLockPause{10};

std::system_error systemError(int error, const std::string& operation, const fs::path& path) {
  return std::system_error(error, std::generic_category(), operation + " " + path.string());
}

/// "a/b/" and "a/b" name the same directory, but only the latter has a parent that is not itself.
fs::path withoutTrailingSeparators(fs::path path) {
  while (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
  return path;
}

/// Opens `directory`, first making it and every missing parent. An existing entry is taken as it is, through
/// symbolic links (a relocated shared directory is legitimate). A directory made here gets exactly mode 0700
/// through a descriptor opened without following links, so that whoever can write its parent and swaps it for
/// a link meanwhile makes the write fail instead of passing the mode on to what the link leads to.
FileDescriptor openDirectory(FileOperations& files, const fs::path& directory) {
  constexpr int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
  FileDescriptor opened(files.open(directory.c_str(), flags, 0), files);
  if (opened) return opened;
  if (errno != ENOENT) throw systemError(errno, "create directory", directory);
  const fs::path parentPath = withoutTrailingSeparators(directory.parent_path());
  if (parentPath == directory) throw systemError(ENOENT, "create directory", directory);
  const FileDescriptor parent = openDirectory(files, parentPath.empty() ? fs::path(".") : parentPath);
  const std::string name = directory.filename().string();
  if (files.mkdirat(parent.get(), name.c_str(), directoryMode) != 0) {
    if (errno != EEXIST) throw systemError(errno, "create directory", directory);
    // Made by another writer since: taken as it is.
    FileDescriptor existing(files.openat(parent.get(), name.c_str(), flags, 0), files);
    if (!existing) throw systemError(errno, "open directory", directory);
    return existing;
  }
  FileDescriptor made(files.openat(parent.get(), name.c_str(), flags | O_NOFOLLOW, 0), files);
  if (!made) throw systemError(errno, "open new directory", directory);
  // mkdir's mode passes through the umask.
  if (files.fchmod(made.get(), directoryMode) != 0) throw systemError(errno, "set permissions of", directory);
  return made;
}

/// Takes the writers' lock: an exclusive lock on the lock file, which only the store's owner can open (mode 0600,
/// owned by this user, never through a link), so that no other user can hold writers up. Waits for another
/// writer with growing pauses, at most lockTimeout in all. The lock ends when the descriptor is closed, or with
/// its process when that is killed.
FileDescriptor takeLock(FileOperations& files, int directory, const fs::path& shownDirectory) {
  const fs::path shown = shownDirectory / UsageSnapshotStore::lockFileName;
  const std::string name(UsageSnapshotStore::lockFileName);
  constexpr int flags = O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  FileDescriptor lock(files.openat(directory, name.c_str(), flags, fileMode), files);
  if (!lock) throw systemError(errno, "open lock file", shown);
  struct stat status {};
  if (files.fstat(lock.get(), &status) != 0) throw systemError(errno, "inspect lock file", shown);
  const auto refuse = [&shown](const std::string& why) {
    return std::system_error(EPERM, std::generic_category(), "lock file " + shown.string() + " " + why);
  };
  if (!S_ISREG(status.st_mode)) {
    throw refuse("is " + platform::describeFileType(status.st_mode) + ", not a regular file");
  }
  if (status.st_uid != ::geteuid()) throw refuse("belongs to another user");
  if ((status.st_mode & 077) != 0 && files.fchmod(lock.get(), fileMode) != 0) {
    throw systemError(errno, "set permissions of", shown);
  }
  std::chrono::milliseconds waited{0};
  std::chrono::milliseconds pause = firstLockPause;
  while (files.flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) throw systemError(errno, "lock", shown);
    if (waited >= UsageSnapshotStore::lockTimeout) {
      throw std::system_error(EWOULDBLOCK, std::generic_category(),
                              "lock " + shown.string() + ": another writer has held it for " +
                                  std::to_string(UsageSnapshotStore::lockTimeout.count()) + " seconds");
    }
    files.pause(pause);
    waited += pause;
    pause = std::min(pause * 2, longestLockPause);
  }
  return lock;
}

}  // namespace

UsageSnapshotStore::UsageSnapshotStore(std::optional<std::filesystem::path> directory, platform::FileOperations& files)
    : directory_(std::move(directory)), files_(&files) {}

UsageSnapshotStore UsageSnapshotStore::shared() {
  std::optional<fs::path> container = platform::groupContainer(groupIdentifier);
  if (!container) return UsageSnapshotStore(std::nullopt);
  return UsageSnapshotStore(*container / fs::path(directoryName));
}

std::optional<UsageWidgetSnapshot> UsageSnapshotStore::read() const { return inspect().snapshot; }

UsageSnapshotStore::ReadOutcome UsageSnapshotStore::inspect() const {
  if (!directory_) return {std::nullopt, "no shared directory"};
  const fs::path file = *directory_ / fs::path(fileName);
  const auto nothing = [&file](const std::string& reason) {
    return ReadOutcome{std::nullopt, file.string() + ": " + reason};
  };

  // A symbolic link at the name is refused rather than followed, and nothing but a regular file is opened.
  const auto read = platform::readRegularFile(file, maximumBytes, platform::SymbolicLinks::refuse, *files_);
  if (!read.bytes) return nothing(read.problem);
  const std::string& bytes = *read.bytes;
  if (bytes.empty()) return nothing("empty");
  if (read.exceeds(maximumBytes)) return nothing("more than " + byteCount(maximumBytes));

  try {
    UsageWidgetSnapshot snapshot = decodeSnapshot(bytes, bytes.capacity() - bytes.size());
    if (const auto failure = firstValidationFailure(snapshot)) return nothing(failure->describe());
    return {std::move(snapshot), {}};
  } catch (const JsonDecodingError& error) {
    return nothing(error.what());
  } catch (const std::exception& error) {
    // Reading never reports: whatever else the decoder throws also means "no snapshot".
    return nothing(std::string("cannot be decoded: ") + error.what());
  }
}

void UsageSnapshotStore::write(const UsageWidgetSnapshot& snapshot) const {
  if (!directory_) {
    throw SnapshotFailure(SnapshotError::unavailable,
                          "no shared directory to write " + std::string(fileName) + " into");
  }
  if (const auto failure = firstValidationFailure(snapshot)) {
    throw SnapshotFailure(SnapshotError::invalid, "refusing to write an invalid snapshot: " + failure->describe());
  }
  const std::string bytes = encode(snapshot);
  if (bytes.size() > maximumBytes) {
    throw SnapshotFailure(SnapshotError::tooLarge, "the encoded snapshot is " + byteCount(bytes.size()) +
                                                       ", more than " + byteCount(maximumBytes));
  }
  // Everything above touched nothing on disk; from here on the directory and the file are changed.
  const fs::path directory = withoutTrailingSeparators(*directory_);
  const FileDescriptor folder = openDirectory(*files_, directory);
  // Writers take turns: each holds the lock from before it creates its temporary file until the rename is on
  // disk, so that what it finds of other writers' temporary files was left by writers that died.
  const FileDescriptor lock = takeLock(*files_, folder.get(), directory);
  platform::removeAbandonedTemporaries(*files_, folder.get(), fileName);
  platform::replaceFile(*files_, folder.get(), directory, fileName, bytes, {.mode = fileMode, .exact = true});
}

void UsageSnapshotStore::clear() const { static_cast<void>(erase()); }

std::string UsageSnapshotStore::erase() const {
  if (!directory_) return {};
  const fs::path file = *directory_ / fs::path(fileName);
  // A missing file (or directory) is already cleared.
  if (files_->unlinkat(AT_FDCWD, file.c_str(), 0) == 0 || errno == ENOENT) return {};
  return file.string() + ": " + std::generic_category().message(errno);
}

}  // namespace velto
