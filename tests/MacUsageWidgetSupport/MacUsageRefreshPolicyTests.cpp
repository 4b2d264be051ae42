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

// Each sequence starts on a fresh policy; `refreshing` is set by a begin that says yes and cleared by any finish.
TEST(MacUsageRefreshPolicy, AnswersEachCallOfASequence) {
  const std::vector<Call> sequences[] = {
      // Starts are sixty seconds apart and never overlap.
      {{Call::begin, true, 0, true}, {Call::begin, true, 100, false}, {Call::finish, false, 1, false},
       {Call::begin, true, 59, false}, {Call::begin, true, 60, true}},
      // An unconfigured begin changes nothing.
      {{Call::begin, false, 0, false}, {Call::begin, true, 1, true}},
      // Reloads are three hundred seconds apart.
      {{Call::finish, true, 10, true}, {Call::finish, true, 309, false}, {Call::finish, false, 400, false},
       {Call::finish, true, 310, true}},
      // A clock going back is too soon.
      {{Call::begin, true, 1000, true}, {Call::finish, true, 1000, true}, {Call::begin, true, 500, false},
       {Call::finish, true, 500, false}},
  };
  for (std::size_t s = 0; s < std::size(sequences); ++s) {
    MacUsageRefreshPolicy policy;
    bool refreshing = false;
    for (std::size_t i = 0; i < sequences[s].size(); ++i) {
      const auto& call = sequences[s][i];
      const bool answer =
          call.kind == Call::begin ? policy.begin(call.flag, call.at) : policy.finish(call.flag, call.at);
      EXPECT_EQ(answer, call.expected) << "sequence " << s << ", call " << i << " at " << call.at;
      refreshing = call.kind == Call::begin ? refreshing || answer : false;
      EXPECT_EQ(policy.refreshing(), refreshing) << "sequence " << s << ", call " << i;
    }
  }
}

}  // namespace
}  // namespace velto
