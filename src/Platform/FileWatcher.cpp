// FileWatcher: inotify for the file, signalfd for the stop signals, one poll for both.
#include "FileWatcher.h"

#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace velto::platform {
namespace {

constexpr std::chrono::milliseconds folderRetry{2000};

sigset_t stopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  return set;
}

}  // namespace

FileWatcher::FileWatcher(std::filesystem::path folder, std::string fileName)
    : folder_(std::move(folder)), fileName_(std::move(fileName)) {
  inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (inotify_ < 0) throw std::system_error(errno, std::generic_category(), "inotify");
  const sigset_t set = stopSignals();
  // Blocked signals stay pending until read from the descriptor, so a stop is never lost between waits.
  ::sigprocmask(SIG_BLOCK, &set, nullptr);
  signals_ = ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
  if (signals_ < 0) {
    const int error = errno;
    ::close(inotify_);
    throw std::system_error(error, std::generic_category(), "signalfd");
  }
  addWatch();
}

FileWatcher::~FileWatcher() {
  ::close(inotify_);
  ::close(signals_);
  const sigset_t set = stopSignals();
  ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

bool FileWatcher::addWatch() {
  watching_ = ::inotify_add_watch(inotify_, folder_.c_str(),
                                  IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE |
                                      IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR) >= 0;
  return watching_;
}

FileWatcher::Event FileWatcher::wait(std::chrono::milliseconds timeout) {
  if (!watching_) {
    if (addWatch()) return Event::changed;  // the folder appeared; its file may have too
    timeout = std::min(timeout, folderRetry);
  }
  std::array<pollfd, 2> descriptors{{{inotify_, POLLIN, 0}, {signals_, POLLIN, 0}}};
  const auto milliseconds = static_cast<int>(std::clamp<long long>(timeout.count(), 0, 24 * 3600 * 1000));
  int ready = 0;
  do {
    ready = ::poll(descriptors.data(), descriptors.size(), milliseconds);
  } while (ready < 0 && errno == EINTR);
  if (ready < 0) throw std::system_error(errno, std::generic_category(), "poll");
  if (descriptors[1].revents & POLLIN) {
    signalfd_siginfo received;
    // Taken off the queue, so that it is not delivered again when the watcher unblocks the signals.
    while (::read(signals_, &received, sizeof received) == static_cast<ssize_t>(sizeof received)) {
    }
    return Event::stop;
  }
  if (!(descriptors[0].revents & POLLIN)) {
    if (!watching_ && addWatch()) return Event::changed;
    return Event::timeout;
  }

  // Read every queued event; any that names the file, or the folder going away, is a change.
  alignas(inotify_event) std::array<char, 4096> buffer;
  bool changed = false;
  for (;;) {
    const ssize_t length = ::read(inotify_, buffer.data(), buffer.size());
    if (length <= 0) break;
    for (std::size_t offset = 0; offset < static_cast<std::size_t>(length);) {
      inotify_event event;
      std::memcpy(&event, buffer.data() + offset, sizeof event);
      const char* name = buffer.data() + offset + sizeof event;
      if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
        watching_ = false;
        changed = true;
      } else if (event.len > 0 && fileName_ == name) {
        changed = true;
      }
      offset += sizeof event + event.len;
    }
  }
  return changed ? Event::changed : Event::timeout;
}

}  // namespace velto::platform
