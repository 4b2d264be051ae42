// OutputFile: decides by what the path is, then writes into it, or replaces it through the one atomic writer.
#include "OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <system_error>

#include "BoundedRead.h"
#include "FileDescriptor.h"
#include "FileReplacement.h"

namespace velto::app {
namespace {

namespace fs = std::filesystem;
using platform::FileDescriptor;
using platform::FileOperations;

std::system_error systemError(int error, const std::string& operation, const std::string& path) {
  return std::system_error(error, std::generic_category(), operation + " " + path);
}

/// True when `status` is that of what standard output already is: /dev/stdout, /proc/self/fd/1 and the like.
bool isStandardOutput(const struct stat& status) {
  struct stat standardOutput {};
  return ::fstat(STDOUT_FILENO, &standardOutput) == 0 && standardOutput.st_dev == status.st_dev &&
         standardOutput.st_ino == status.st_ino;
}

void writeInto(const std::string& path, std::string_view bytes) {
  auto& files = FileOperations::system();
  FileDescriptor target(files.open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC, 0), files);
  if (!target) throw systemError(errno, "open", path);
  if (const int error = target.writeAll(bytes)) throw systemError(error, "write", path);
  if (target.close() != 0) throw systemError(errno, "write", path);
}

void replaceWhole(const fs::path& file, std::string_view bytes, platform::FilePermissions permissions) {
  auto& files = FileOperations::system();
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  const FileDescriptor directory(files.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0), files);
  if (!directory) throw systemError(errno, "open the folder of", file.string());
  const std::string name = file.filename().string();
  platform::removeAbandonedTemporaries(files, directory.get(), name);
  platform::replaceFile(files, directory.get(), folder, name, bytes, permissions);
}

}  // namespace

void writeOutput(const std::string& path, std::string_view bytes, std::ostream& out) {
  if (path.empty() || path == "-") {
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return;
  }
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    if (errno != ENOENT) throw systemError(errno, "inspect", path);
    if (::lstat(path.c_str(), &status) == 0) throw std::runtime_error(path + ": a symbolic link that leads nowhere");
    replaceWhole(path, bytes, {.mode = 0666, .exact = false});
  } else if (isStandardOutput(status)) {
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  } else if (S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode)) {
    writeInto(path, bytes);
  } else if (S_ISREG(status.st_mode)) {
    // Through every link to the file itself, so that the file is replaced in its own folder and links stay.
    std::error_code error;
    const fs::path file = fs::canonical(path, error);
    if (error) throw std::system_error(error, "resolve " + path);
    replaceWhole(file, bytes, {.mode = status.st_mode & 07777, .exact = true});
  } else {
    throw std::runtime_error(path + ": " + platform::describeFileType(status.st_mode) + ", not a file to write");
  }
}

}  // namespace velto::app
