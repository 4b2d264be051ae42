// FileWatcher: inotify and signalfd under one poll, and the folder's identity checked again on a timer.
#include "FileWatcher.h"

#include <poll.h>
#include <pthread.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace velto::platform {
namespace {

constexpr int attemptsToWatch = 4;

sigset_t stopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  return set;
}

/// The stop signals that are in `stop` but not in `blocked`.
sigset_t notBlocked(const sigset_t& blocked) {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    if (sigismember(&blocked, signal) == 0) sigaddset(&set, signal);
  }
  return set;
}

}  // namespace

FileWatcher::FileWatcher(std::filesystem::path folder, std::string fileName, std::chrono::milliseconds recheck)
    : folder_(std::move(folder)), fileName_(std::move(fileName)), recheck_(recheck) {
  const sigset_t stop = stopSignals();
  sigset_t before;
  // Blocked signals stay pending until read from the descriptor, so a stop is never lost between waits.
  if (const int error = ::pthread_sigmask(SIG_BLOCK, &stop, &before)) {
    throw std::system_error(error, std::generic_category(), "block stop signals");
  }
  unblockAtEnd_ = notBlocked(before);
  try {
    inotify_ = FileDescriptor(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!inotify_) throw std::system_error(errno, std::generic_category(), "inotify");
    signals_ = FileDescriptor(::signalfd(-1, &stop, SFD_NONBLOCK | SFD_CLOEXEC));
    if (!signals_) throw std::system_error(errno, std::generic_category(), "signalfd");
  } catch (...) {
    ::pthread_sigmask(SIG_UNBLOCK, &unblockAtEnd_, nullptr);
    throw;
  }
  watchFolder();
}

FileWatcher::~FileWatcher() {
  // A stop that came after the last wait is delivered now, as it would have been without the watcher.
  ::pthread_sigmask(SIG_UNBLOCK, &unblockAtEnd_, nullptr);
}

bool FileWatcher::watchFolder() {
  // The path may change between looking at it and watching it; the identity recorded must be the watched one's.
  for (int attempt = 0; attempt < attemptsToWatch; ++attempt) {
    struct stat before {};
    struct stat after {};
    if (::stat(folder_.c_str(), &before) != 0 || !S_ISDIR(before.st_mode)) return false;
    const int watch = ::inotify_add_watch(inotify_.get(), folder_.c_str(),
                                          IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE |
                                              IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
    if (watch < 0) return false;
    if (::stat(folder_.c_str(), &after) == 0 && after.st_dev == before.st_dev && after.st_ino == before.st_ino) {
      watch_ = watch;
      device_ = after.st_dev;
      inode_ = after.st_ino;
      return true;
    }
    ::inotify_rm_watch(inotify_.get(), watch);
  }
  return false;
}

void FileWatcher::stopWatching() {
  // Its IN_IGNORED event follows, and is passed over: it names a watch that is no longer ours.
  if (watch_ >= 0) ::inotify_rm_watch(inotify_.get(), watch_);
  watch_ = -1;
}

bool FileWatcher::folderMoved() const {
  struct stat status {};
  const bool found = ::stat(folder_.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
  if (watch_ < 0) return found;
  return !found || status.st_dev != device_ || status.st_ino != inode_;
}

bool FileWatcher::readEvents() {
  alignas(inotify_event) std::array<char, 4096> buffer;
  bool changed = false;
  for (;;) {
    const ssize_t length = ::read(inotify_.get(), buffer.data(), buffer.size());
    if (length <= 0) break;
    for (std::size_t offset = 0; offset < static_cast<std::size_t>(length);) {
      inotify_event event;
      std::memcpy(&event, buffer.data() + offset, sizeof event);
      const char* name = buffer.data() + offset + sizeof event;
      offset += sizeof event + event.len;
      // Events were lost, any of which may have named the file: read it again.
      if (event.mask & IN_Q_OVERFLOW) changed = true;
      if (event.wd != watch_ || watch_ < 0) continue;
      if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
        // The folder went away or elsewhere: whatever is at its path now is watched at the next look.
        stopWatching();
        changed = true;
      } else if (event.len > 0 && fileName_ == name) {
        changed = true;
      }
    }
  }
  return changed;
}

FileWatcher::Event FileWatcher::wait(std::chrono::milliseconds timeout) {
  if (watch_ < 0 && watchFolder()) return Event::changed;  // the folder appeared; its file may have too
  std::array<pollfd, 2> descriptors{{{inotify_.get(), POLLIN, 0}, {signals_.get(), POLLIN, 0}}};
  const auto milliseconds =
      static_cast<int>(std::clamp<long long>(std::min(timeout, recheck_).count(), 0, 3600 * 1000));
  int ready = 0;
  do {
    ready = ::poll(descriptors.data(), descriptors.size(), milliseconds);
  } while (ready < 0 && errno == EINTR);
  if (ready < 0) throw std::system_error(errno, std::generic_category(), "poll");
  if (descriptors[1].revents & POLLIN) {
    signalfd_siginfo received;
    // Taken off the queue, so that it is not delivered again when the watcher unblocks the signals.
    while (::read(signals_.get(), &received, sizeof received) == static_cast<ssize_t>(sizeof received)) {
    }
    return Event::stop;
  }
  bool changed = (descriptors[0].revents & POLLIN) != 0 && readEvents();
  if (folderMoved()) {
    stopWatching();
    watchFolder();
    changed = true;
  }
  return changed ? Event::changed : Event::timeout;
}

}  // namespace velto::platform
