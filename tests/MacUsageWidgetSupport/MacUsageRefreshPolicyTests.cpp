// Tests of the host's refresh and reload throttle, as sequences of calls and their answers.
#include "MacUsageRefreshPolicy.h"

#include <gtest/gtest.h>

namespace velto {
namespace {

struct Call {
  enum Kind { begin, finish } kind;
  bool flag;  // configured for begin, published for finish
  Instant at;
  bool expected;
};

void play(const std::vector<Call>& calls) {
  MacUsageRefreshPolicy policy;
  bool refreshing = false;  // begin sets it only when it says yes; finish always clears it
  for (std::size_t i = 0; i < calls.size(); ++i) {
    const auto& call = calls[i];
    const bool answer = call.kind == Call::begin ? policy.begin(call.flag, call.at) : policy.finish(call.flag, call.at);
    EXPECT_EQ(answer, call.expected) << "call " << i << " at " << call.at;
    refreshing = call.kind == Call::begin ? refreshing || answer : false;
    EXPECT_EQ(policy.refreshing(), refreshing) << "call " << i;
  }
}

TEST(MacUsageRefreshPolicy, StartsAreSixtySecondsApartAndNeverOverlap) {
  play({{Call::begin, true, 0, true},
        {Call::begin, true, 100, false},  // still refreshing
        {Call::finish, false, 1, false},
        {Call::begin, true, 59, false},
        {Call::begin, true, 60, true}});
}

TEST(MacUsageRefreshPolicy, UnconfiguredBeginChangesNothing) {
  play({{Call::begin, false, 0, false}, {Call::begin, true, 1, true}});
}

TEST(MacUsageRefreshPolicy, ReloadsAreThreeHundredSecondsApart) {
  play({{Call::finish, true, 10, true},
        {Call::finish, true, 309, false},
        {Call::finish, false, 400, false},
        {Call::finish, true, 310, true}});
}

TEST(MacUsageRefreshPolicy, ClockGoingBackIsTooSoon) {
  play({{Call::begin, true, 1000, true}, {Call::finish, true, 1000, true}, {Call::begin, true, 500, false},
        {Call::finish, true, 500, false}});
}

}  // namespace
}  // namespace velto
