// FileReplacement: a locked temporary file synced and renamed into place; what dead writers left is removed.
#include "FileReplacement.h"

#include <dirent.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <string>
#include <system_error>
#include <utility>

#include "FileDescriptor.h"

namespace velto::platform {
namespace {

namespace fs = std::filesystem;

constexpr int temporaryNameAttempts = 8;
constexpr std::size_t randomLength = 12;
constexpr std::string_view temporarySuffix = ".tmp";

std::system_error systemError(int error, const std::string& operation, const fs::path& path) {
  return std::system_error(error, std::generic_category(), operation + " " + path.string());
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
  std::string suffix(randomLength, '0');
  for (char& character : suffix) character = alphabet[pick(engine)];
  return suffix;
}

/// True when `name` in `directory` is still the file open as `fd` (and not, say, one that replaced it).
bool stillNamed(FileOperations& files, int directory, const std::string& name, int fd) {
  struct stat named {};
  struct stat opened {};
  return files.fstatat(directory, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && files.fstat(fd, &opened) == 0 &&
         named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
}

struct Temporary {
  std::string name;
  FileDescriptor file;
};

/// A new, empty temporary file beside `name`, locked. O_EXCL and O_NOFOLLOW make sure it is ours and not a link
/// planted under the name. A removal of abandoned files may have taken the new file's lock first, or removed it
/// before we locked it; either way the name is given up for another (the removal takes the file), as is a name
/// that is taken.
Temporary createTemporary(FileOperations& files, int directory, const fs::path& shownDirectory, std::string_view name,
                          mode_t mode) {
  for (int attempt = 1;; ++attempt) {
    // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) about the same name built with operator+.
    std::string temporary = ".";
    temporary += name;
    temporary += '.';
    temporary += randomSuffix();
    temporary += temporarySuffix;
    FileDescriptor file(
        files.openat(directory, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode), files);
    const bool last = attempt == temporaryNameAttempts;
    if (!file) {
      if (errno != EEXIST || last) throw systemError(errno, "create", shownDirectory / temporary);
      continue;
    }
    // On a file system without locks the file goes unlocked: removals skip what they cannot lock.
    if (files.flock(file.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
      if (last) throw systemError(errno, "lock", shownDirectory / temporary);
      continue;
    }
    if (stillNamed(files, directory, temporary, file.get())) return {std::move(temporary), std::move(file)};
    if (last) throw systemError(ENOENT, "create", shownDirectory / temporary);
  }
}

/// Removes the temporary file unless the write got as far as renaming it.
struct RemoveUnlessRenamed {
  FileOperations& files;
  int directory;
  const std::string& name;
  bool renamed = false;

  ~RemoveUnlessRenamed() {
    if (!renamed) static_cast<void>(files.unlinkat(directory, name.c_str(), 0));
  }
};

}  // namespace

bool isTemporaryName(std::string_view entry, std::string_view name) {
  const std::size_t prefix = 1 + name.size() + 1;
  if (entry.size() != prefix + randomLength + temporarySuffix.size() || !entry.starts_with('.') ||
      entry.substr(1, name.size()) != name || entry[prefix - 1] != '.' || !entry.ends_with(temporarySuffix)) {
    return false;
  }
  const std::string_view random = entry.substr(prefix, randomLength);
  return std::all_of(random.begin(), random.end(),
                     [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); });
}

void replaceFile(FileOperations& files, int directory, const fs::path& shownDirectory, std::string_view name,
                 std::string_view bytes, FilePermissions permissions) {
  const Temporary temporary = createTemporary(files, directory, shownDirectory, name, permissions.mode);
  const fs::path shownTemporary = shownDirectory / temporary.name;
  // Declared after the descriptor, so that the file is removed while its lock is still held.
  RemoveUnlessRenamed removal{files, directory, temporary.name};
  // open's mode passes through the umask; fchmod makes it exact before any byte is written.
  if (permissions.exact && files.fchmod(temporary.file.get(), permissions.mode) != 0) {
    throw systemError(errno, "set permissions of", shownTemporary);
  }
  if (const int error = temporary.file.writeAll(bytes)) throw systemError(error, "write", shownTemporary);
  // fsync reports the write-back errors that some file systems would otherwise report only at close; the
  // descriptor, and with it the lock, stays open until after the rename.
  if (files.fsync(temporary.file.get()) != 0) throw systemError(errno, "sync", shownTemporary);
  const std::string target(name);
  if (files.renameat(directory, temporary.name.c_str(), directory, target.c_str()) != 0) {
    throw systemError(errno, "rename " + shownTemporary.string() + " to", shownDirectory / target);
  }
  removal.renamed = true;
  if (files.fsync(directory) != 0) {
    const std::string placed = "the new " + (shownDirectory / target).string() + " is in place";
    throw systemError(errno, placed + " but may not be durable: sync", shownDirectory);
  }
}

void removeAbandonedTemporaries(FileOperations& files, int directory, std::string_view name) {
  FileDescriptor listing(files.openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0), files);
  if (!listing) return;
  DIR* entries = ::fdopendir(listing.get());
  if (entries == nullptr) return;
  static_cast<void>(listing.release());  // closedir closes it
  while (const dirent* entry = ::readdir(entries)) {
    const std::string candidate = entry->d_name;
    if (!isTemporaryName(candidate, name)) continue;
    constexpr int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    const FileDescriptor file(files.openat(directory, candidate.c_str(), flags, 0), files);
    // A living writer holds its file's lock until it has renamed it; and the name must still be the file locked
    // here, not a new writer's file created under it since.
    if (!file || files.flock(file.get(), LOCK_EX | LOCK_NB) != 0) continue;
    if (stillNamed(files, directory, candidate, file.get())) {
      static_cast<void>(files.unlinkat(directory, candidate.c_str(), 0));
    }
  }
  ::closedir(entries);
}

}  // namespace velto::platform
