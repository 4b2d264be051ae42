// WallClockTimer: an absolute CLOCK_REALTIME timerfd, cancelled on clock changes, watched by the main loop.
#include "WallClockTimer.h"

#include <glib-unix.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace velto::desktop {

WallClockTimer::WallClockTimer(std::function<void()> fire) : fire_(std::move(fire)) {
  fd_ = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
  if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "timerfd_create");
  source_ = g_unix_fd_add(
      fd_, G_IO_IN,
      [](gint fd, GIOCondition, gpointer self) -> gboolean {
        // Either the instant came (a count of expirations) or the clock was set (ECANCELED): both mean look.
        std::uint64_t expirations = 0;
        static_cast<void>(::read(fd, &expirations, sizeof expirations));
        static_cast<WallClockTimer*>(self)->fire_();
        return G_SOURCE_CONTINUE;
      },
      this);
}

WallClockTimer::~WallClockTimer() {
  g_source_remove(source_);
  ::close(fd_);
}

void WallClockTimer::set(Instant at) {
  // Whatever is not a time after 1970 fires at once (an all-zero value would disarm the timer instead).
  const double clamped = std::isfinite(at) ? std::clamp(at, 0.0, 1e15) : 0.0;
  const double seconds = std::floor(clamped);
  itimerspec value{};
  value.it_value.tv_sec = static_cast<time_t>(seconds);
  value.it_value.tv_nsec = std::clamp(std::lround((clamped - seconds) * 1e9), 0L, 999999999L);
  if (value.it_value.tv_sec == 0 && value.it_value.tv_nsec == 0) value.it_value.tv_nsec = 1;
  if (::timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &value, nullptr) != 0) {
    throw std::system_error(errno, std::generic_category(), "timerfd_settime");
  }
}

}  // namespace velto::desktop
