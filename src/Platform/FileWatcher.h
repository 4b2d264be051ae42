// FileWatcher: waits until a file is replaced, a deadline passes, or the user asks the program to stop.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace velto::platform {

/// Watches one file name in one folder with inotify (a replacement by rename, a write, a deletion), and
/// SIGINT/SIGTERM/SIGHUP through a signal descriptor, so that a wait ends at once for either. While the
/// folder does not exist yet, it looks for it again at every wait and reports its creation as a change.
/// The three signals are blocked for the whole process while a watcher exists; one watcher at a time.
class FileWatcher {
 public:
  enum class Event { changed, timeout, stop };

  FileWatcher(std::filesystem::path folder, std::string fileName);
  FileWatcher(const FileWatcher&) = delete;
  FileWatcher& operator=(const FileWatcher&) = delete;
  ~FileWatcher();

  /// Waits at most `timeout` (a folder that does not exist yet is looked for again after at most two seconds).
  Event wait(std::chrono::milliseconds timeout);

 private:
  bool addWatch();

  std::filesystem::path folder_;
  std::string fileName_;
  int inotify_ = -1;
  int signals_ = -1;
  bool watching_ = false;
};

}  // namespace velto::platform
