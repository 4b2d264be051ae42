// FileWatcher: waits until a file is replaced, a deadline passes, or the user asks the program to stop.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "FileDescriptor.h"

namespace velto::platform {

/// Watches one file name in one folder with inotify (a replacement by rename, a write, a deletion), and
/// SIGINT/SIGTERM/SIGHUP through a signal descriptor, so that a wait ends at once for either. A full event queue
/// counts as a change. inotify follows the folder itself, not its path, so the path is resolved again at least
/// every `recheck`: when it leads to another directory (a symbolic link retargeted, a parent renamed and made
/// anew) or to one where there was none, that one is watched and the wait reports a change.
/// The three signals are blocked in the calling thread while the watcher exists, and given back their earlier
/// state after; one watcher at a time.
class FileWatcher {
 public:
  enum class Event { changed, timeout, stop };

  FileWatcher(std::filesystem::path folder, std::string fileName,
              std::chrono::milliseconds recheck = std::chrono::seconds(2));
  FileWatcher(const FileWatcher&) = delete;
  FileWatcher& operator=(const FileWatcher&) = delete;
  ~FileWatcher();

  /// Waits at most `timeout`, and at most `recheck` before it looks at the folder's path again (then returning
  /// timeout when nothing happened).
  Event wait(std::chrono::milliseconds timeout);

 private:
  /// Watches the directory the folder's path leads to now; false when it leads to none.
  bool watchFolder();
  void stopWatching();
  /// True when the path leads elsewhere than to the watched directory (or to one while none is watched).
  bool folderMoved() const;
  /// Reads every queued event; true when one is a change of the file or of the folder itself.
  bool readEvents();

  std::filesystem::path folder_;
  std::string fileName_;
  std::chrono::milliseconds recheck_;
  sigset_t unblockAtEnd_;  ///< the stop signals that were not blocked before
  FileDescriptor inotify_;
  FileDescriptor signals_;
  int watch_ = -1;  ///< the watch on the folder; -1: none
  dev_t device_ = 0;
  ino_t inode_ = 0;
};

}  // namespace velto::platform
