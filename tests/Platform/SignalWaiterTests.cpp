// Tests of receiving signals through a descriptor and waiting for one or a deadline.
#include "SignalWaiter.h"

#include <pthread.h>
#include <signal.h>

#include <gtest/gtest.h>

namespace velto::platform {
namespace {

bool blocked(int signal) {
  sigset_t mask;
  ::pthread_sigmask(SIG_SETMASK, nullptr, &mask);
  return sigismember(&mask, signal) == 1;
}

TEST(SignalWaiter, ASignalEndsTheWaitAtOnceADeadlineOtherwiseAndAPastOneOnlyTakesWhatIsPending) {
  SignalWaiter waiter({SIGUSR1, SIGHUP});
  const double start = SignalWaiter::now();
  ::raise(SIGHUP);  // blocked, so it waits in the descriptor instead of ending the test
  EXPECT_EQ(waiter.wait(start + 3600), SIGHUP);
  EXPECT_EQ(waiter.wait(SignalWaiter::now() + 0.05), std::nullopt);
  EXPECT_GE(SignalWaiter::now(), start + 0.05);
  EXPECT_EQ(waiter.wait(start - 1), std::nullopt);
  ::raise(SIGUSR1);
  EXPECT_EQ(waiter.wait(start - 1), SIGUSR1);
}

TEST(SignalWaiter, TheCallersMaskComesBackAndAPendingSignalIsNotDeliveredAfter) {
  ASSERT_FALSE(blocked(SIGUSR1));
  {
    SignalWaiter waiter({SIGUSR1});
    EXPECT_TRUE(blocked(SIGUSR1));
    ::raise(SIGUSR1);  // delivered once unblocked, it would end the test program
  }
  EXPECT_FALSE(blocked(SIGUSR1));
}

}  // namespace
}  // namespace velto::platform
