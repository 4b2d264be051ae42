// UsageSnapshotStore: the snapshot file's one reader and writer, bounded in size and replaced atomically.
#include "UsageSnapshotStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <string>
#include <system_error>
#include <utility>

#include "GroupContainer.h"
#include "JsonDecodingError.h"
#include "SnapshotError.h"
#include "SnapshotJson.h"
#include "SnapshotValidation.h"

namespace velto {
namespace {

namespace fs = std::filesystem;
using platform::FileOperations;

constexpr std::size_t maximumBytes = UsageWidgetSnapshot::maximumBytes;
constexpr mode_t directoryMode = 0700;
constexpr mode_t fileMode = 0600;
constexpr int temporaryNameAttempts = 8;

std::string describeError(int error) { return std::generic_category().message(error); }

std::system_error systemError(int error, const std::string& operation, const fs::path& path) {
  return std::system_error(error, std::generic_category(), operation + " " + path.string());
}

/// An open descriptor, closed when it goes out of scope. A close error at that point is ignored: either the
/// operation is already failing for another reason, or (reading, directory sync) nothing depends on it.
class Descriptor {
 public:
  Descriptor(FileOperations& files, int fd) : files_(files), fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) files_.close(fd_);
  }

  /// Closes now and gives close's result. The descriptor is released either way: on Linux a failed close
  /// has still freed it, so retrying could close a descriptor another thread just received.
  int closeNow() { return files_.close(std::exchange(fd_, -1)); }

 private:
  FileOperations& files_;
  int fd_;
};

/// Removes a temporary file when the write fails before the file was renamed into place.
struct RemoveUnlessKept {
  FileOperations& files;
  const fs::path& path;
  bool keep = false;

  ~RemoveUnlessKept() {
    if (!keep) files.unlink(path.c_str());
  }
};

/// "a/b/" and "a/b" name the same directory, but only the latter has a parent that is not itself.
fs::path withoutTrailingSeparators(fs::path path) {
  while (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
  return path;
}

/// Accepts an existing entry at a directory name when it is a directory or a symbolic link (a relocated
/// shared directory is legitimate; a link that leads nowhere fails at the next step with the system's error).
void requireDirectory(FileOperations& files, const fs::path& directory) {
  struct stat status {};
  if (files.lstat(directory.c_str(), &status) != 0) throw systemError(errno, "inspect", directory);
  if (!S_ISDIR(status.st_mode) && !S_ISLNK(status.st_mode)) {
    throw systemError(ENOTDIR, "create directory", directory);
  }
}

/// Makes `directory` and every missing parent. mkdir's mode passes through the umask, so each directory made
/// here is then set to exactly 0700; directories that already exist are left exactly as they are.
void createDirectories(FileOperations& files, const fs::path& directory) {
  int result = files.mkdir(directory.c_str(), directoryMode);
  if (result != 0 && errno == ENOENT) {
    const fs::path parent = withoutTrailingSeparators(directory.parent_path());
    if (parent.empty() || parent == directory) throw systemError(ENOENT, "create directory", directory);
    createDirectories(files, parent);
    result = files.mkdir(directory.c_str(), directoryMode);
  }
  if (result == 0) {
    if (files.chmod(directory.c_str(), directoryMode) != 0) {
      throw systemError(errno, "set permissions of", directory);
    }
    return;
  }
  if (errno != EEXIST) throw systemError(errno, "create directory", directory);
  requireDirectory(files, directory);
}

std::string randomSuffix() {
  static constexpr std::string_view alphabet = "abcdefghijklmnopqrstuvwxyz0123456789";
  // A forked process inherits the generator's state, and would try its parent's next names (and every
  // sibling's) in the same order; so each process seeds its own.
  thread_local std::mt19937_64 engine;
  thread_local pid_t seededIn = 0;
  if (seededIn != ::getpid()) {
    engine.seed(std::random_device{}());
    seededIn = ::getpid();
  }
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string suffix(12, '0');
  for (char& character : suffix) character = alphabet[pick(engine)];
  return suffix;
}

/// A new, empty temporary file beside the snapshot file. O_EXCL and O_NOFOLLOW make sure it is ours and not
/// a link planted under the name; a name that is taken is replaced by another, a few times.
std::pair<fs::path, int> createTemporary(FileOperations& files, const fs::path& directory) {
  for (int attempt = 1;; ++attempt) {
    // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) about the same name built with operator+.
    std::string name = ".";
    name += UsageSnapshotStore::fileName;
    name += '.';
    name += randomSuffix();
    name += ".tmp";
    fs::path path = directory / name;
    const int fd = files.open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, fileMode);
    if (fd >= 0) return {std::move(path), fd};
    if (errno != EEXIST || attempt == temporaryNameAttempts) throw systemError(errno, "create", path);
  }
}

void writeAll(FileOperations& files, int fd, std::string_view bytes, const fs::path& path) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t count = files.write(fd, bytes.data() + written, bytes.size() - written);
    if (count < 0 && errno == EINTR) continue;
    // A write that makes no progress would loop for ever; report it as an I/O error.
    if (count <= 0) throw systemError(count < 0 ? errno : EIO, "write", path);
    written += static_cast<std::size_t>(count);
  }
}

/// Writes `bytes` to a temporary file and renames it over `file`, so that a reader sees the whole old file
/// or the whole new one. Until the rename succeeds the old file is untouched and the temporary is removed.
void replaceFile(FileOperations& files, const fs::path& directory, const fs::path& file, std::string_view bytes) {
  const auto [temporary, fd] = createTemporary(files, directory);
  RemoveUnlessKept removal{files, temporary};  // declared first: the descriptor is closed before the unlink
  Descriptor descriptor(files, fd);
  // open's 0600 passes through the umask; fchmod makes the mode exactly 0600 before any byte is written.
  if (files.fchmod(fd, fileMode) != 0) throw systemError(errno, "set permissions of", temporary);
  writeAll(files, fd, bytes, temporary);
  if (files.fsync(fd) != 0) throw systemError(errno, "sync", temporary);
  // Some file systems report a failed write-back only at close, so its error counts.
  if (descriptor.closeNow() != 0) throw systemError(errno, "close", temporary);
  if (files.rename(temporary.c_str(), file.c_str()) != 0) {
    throw systemError(errno, "rename " + temporary.string() + " to", file);
  }
  removal.keep = true;
}

/// True for the names createTemporary gives: "." + fileName + "." + 12 of [a-z0-9] + ".tmp".
bool isTemporaryName(std::string_view name) {
  const std::string prefix = "." + std::string(UsageSnapshotStore::fileName) + ".";
  constexpr std::string_view suffix = ".tmp";
  if (name.size() != prefix.size() + 12 + suffix.size() || !name.starts_with(prefix) || !name.ends_with(suffix)) {
    return false;
  }
  const std::string_view random = name.substr(prefix.size(), 12);
  return std::all_of(random.begin(), random.end(),
                     [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); });
}

/// Removes the temporary files of writers that were killed between creating and renaming them. Called only
/// with the directory lock held, when no live writer has a temporary file here. Best effort: what cannot be
/// listed or removed now is left for the next write.
void removeAbandonedTemporaries(FileOperations& files, const fs::path& directory) {
  std::error_code error;
  for (fs::directory_iterator entry(directory, error), end; !error && entry != end; entry.increment(error)) {
    if (isTemporaryName(entry->path().filename().native())) static_cast<void>(files.unlink(entry->path().c_str()));
  }
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

  // lstat before open: a FIFO or a device is never opened (opening either may block or have side effects),
  // and a symbolic link at the name is refused rather than followed.
  struct stat status {};
  if (files_->lstat(file.c_str(), &status) != 0) return nothing(describeError(errno));
  if (!S_ISREG(status.st_mode)) return nothing("not a regular file");
  const int fd = files_->open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
  if (fd < 0) return nothing(describeError(errno));
  Descriptor descriptor(*files_, fd);
  // The name may have been replaced between lstat and open; judge what was actually opened.
  if (files_->fstat(fd, &status) != 0) return nothing(describeError(errno));
  if (!S_ISREG(status.st_mode)) return nothing("not a regular file");

  // One byte beyond the limit is enough to know the file is too large; more is never read.
  std::string bytes(maximumBytes + 1, '\0');
  std::size_t size = 0;
  while (size < bytes.size()) {
    const ssize_t count = files_->read(fd, bytes.data() + size, bytes.size() - size);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return nothing("cannot be read: " + describeError(errno));
    if (count == 0) break;
    size += static_cast<std::size_t>(count);
  }
  descriptor.closeNow();
  if (size == 0) return nothing("empty");
  if (size > maximumBytes) return nothing("larger than " + std::to_string(maximumBytes) + " bytes");
  bytes.resize(size);

  try {
    UsageWidgetSnapshot snapshot = decodeSnapshot(bytes);
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
    throw SnapshotFailure(SnapshotError::tooLarge, "the encoded snapshot is " + std::to_string(bytes.size()) +
                                                       " bytes, more than " + std::to_string(maximumBytes));
  }
  // Everything above touched nothing on disk; from here on the directory and the file are changed.
  const fs::path directory = withoutTrailingSeparators(*directory_);
  createDirectories(*files_, directory);
  // Writers take turns: each holds an exclusive lock on the directory from before it creates its temporary
  // file until the rename is on disk. The lock ends with its process, so the holder knows that any temporary
  // file it finds was left by a writer that was killed.
  const int fd = files_->open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) throw systemError(errno, "open directory", directory);
  Descriptor lock(*files_, fd);
  while (files_->flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) throw systemError(errno, "lock directory", directory);
  }
  removeAbandonedTemporaries(*files_, directory);
  replaceFile(*files_, directory, directory / fs::path(fileName), bytes);
  // The rename is durable only once the directory that holds the new entry is on disk.
  if (files_->fsync(fd) != 0) throw systemError(errno, "sync directory", directory);
}

void UsageSnapshotStore::clear() const {
  if (!directory_) return;
  // A missing file is already cleared, and clearing never reports, so every error is ignored.
  static_cast<void>(files_->unlink((*directory_ / fs::path(fileName)).c_str()));
}

}  // namespace velto
