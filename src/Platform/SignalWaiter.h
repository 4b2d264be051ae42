// SignalWaiter: a set of signals received through a descriptor, and a wait for one of them or a deadline.
#pragma once

#include <signal.h>

#include <initializer_list>
#include <optional>

#include "FileDescriptor.h"

namespace velto::platform {

/// Blocks the given signals in the calling thread and receives them through a signal descriptor, so that a
/// signal is never lost between two waits and never interrupts anything. Deadlines are read on the boot-time
/// clock, which counts time the machine spent suspended: a deadline that passed during suspension ends the
/// wait at resumption. The thread's previous signal mask comes back when the waiter goes. Make it before
/// starting threads, which inherit the mask; children started by runProcess get an empty one.
class SignalWaiter {
 public:
  explicit SignalWaiter(std::initializer_list<int> signals);
  SignalWaiter(const SignalWaiter&) = delete;
  SignalWaiter& operator=(const SignalWaiter&) = delete;
  ~SignalWaiter();

  /// The clock of deadlines: seconds since boot, suspension included. Never goes back.
  static double now();

  /// Readable while a signal is pending.
  int descriptor() const { return signals_.get(); }

  /// The next pending signal, without waiting; nothing when none is pending.
  std::optional<int> take();

  /// Waits for a signal (its number) or until now() reaches `deadline` (nothing). A deadline already past
  /// only takes a pending signal.
  std::optional<int> wait(double deadline);

 private:
  sigset_t previousMask_;
  FileDescriptor signals_;
  FileDescriptor timer_;
};

}  // namespace velto::platform
