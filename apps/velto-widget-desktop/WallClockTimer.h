// WallClockTimer: one wake-up at an instant of the wall clock, in the GLib main loop.
#pragma once

#include <functional>

#include "Instant.h"

namespace velto::desktop {

/// Calls `fire` once the wall clock reaches the instant last set. Entry dates are wall-clock instants, so
/// the timer runs on the real-time clock: unlike a GLib timeout (monotonic time, which stops while the machine
/// sleeps) it fires at once on waking after its instant, and it also fires when the clock is set, so that the
/// caller can look at the new time. Between those moments it costs nothing. Belongs to the main thread.
class WallClockTimer {
 public:
  explicit WallClockTimer(std::function<void()> fire);
  ~WallClockTimer();
  WallClockTimer(const WallClockTimer&) = delete;
  WallClockTimer& operator=(const WallClockTimer&) = delete;

  /// Replaces the instant the timer waits for; an instant already past fires at the next turn of the loop.
  void set(Instant at);

 private:
  int fd_ = -1;
  unsigned source_ = 0;
  std::function<void()> fire_;
};

}  // namespace velto::desktop
