// SignalWaiter: signalfd for the signals, a boot-time timerfd for the deadline, one poll for both.
#include "SignalWaiter.h"

#include <poll.h>
#include <pthread.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace velto::platform {
namespace {

[[noreturn]] void fail(int error, const char* what) { throw std::system_error(error, std::generic_category(), what); }

timespec toTimespec(double seconds) {
  const double whole = std::floor(seconds);
  return {static_cast<time_t>(whole), static_cast<long>((seconds - whole) * 1e9)};
}

}  // namespace

SignalWaiter::SignalWaiter(std::initializer_list<int> signals) {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : signals) sigaddset(&set, signal);
  // Blocked first, so that a signal sent from here on waits in the descriptor instead of ending the program.
  if (const int error = ::pthread_sigmask(SIG_BLOCK, &set, &previousMask_)) fail(error, "pthread_sigmask");
  try {
    signals_ = FileDescriptor(::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC));
    if (!signals_) fail(errno, "signalfd");
    timer_ = FileDescriptor(::timerfd_create(CLOCK_BOOTTIME, TFD_NONBLOCK | TFD_CLOEXEC));
    if (!timer_) fail(errno, "timerfd_create");
  } catch (...) {
    ::pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
    throw;
  }
}

SignalWaiter::~SignalWaiter() {
  // Signals still pending in the descriptor would be delivered the old way once unblocked: take them first.
  while (take()) {
  }
  ::pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

double SignalWaiter::now() {
  timespec time{};
  ::clock_gettime(CLOCK_BOOTTIME, &time);
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) / 1e9;
}

std::optional<int> SignalWaiter::take() {
  signalfd_siginfo received;
  for (;;) {
    const ssize_t count = ::read(signals_.get(), &received, sizeof received);
    if (count == static_cast<ssize_t>(sizeof received)) return static_cast<int>(received.ssi_signo);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && errno != EAGAIN) fail(errno, "read signal");
    return std::nullopt;
  }
}

std::optional<int> SignalWaiter::wait(double deadline) {
  if (const auto signal = take()) return signal;
  if (!(deadline > now())) return std::nullopt;
  // An infinite deadline leaves the timer disarmed (all zero), so only a signal ends the wait.
  const itimerspec alarm{{0, 0}, std::isfinite(deadline) ? toTimespec(deadline) : timespec{0, 0}};
  if (::timerfd_settime(timer_.get(), TFD_TIMER_ABSTIME, &alarm, nullptr) != 0) fail(errno, "timerfd_settime");
  std::array<pollfd, 2> descriptors{{{signals_.get(), POLLIN, 0}, {timer_.get(), POLLIN, 0}}};
  for (;;) {
    if (::poll(descriptors.data(), descriptors.size(), -1) < 0) {
      if (errno == EINTR) continue;
      fail(errno, "poll");
    }
    if (descriptors[0].revents != 0) {
      if (const auto signal = take()) return signal;
    }
    if (descriptors[1].revents != 0) {
      std::uint64_t expirations = 0;
      static_cast<void>(::read(timer_.get(), &expirations, sizeof expirations));
      return std::nullopt;
    }
  }
}

}  // namespace velto::platform
