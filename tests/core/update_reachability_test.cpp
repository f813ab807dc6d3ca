#include <gtest/gtest.h>

#include "core/update/reachability.h"
#include "fake_icmp.h"
#include "test_support.h"

namespace konfex {
namespace {

using namespace std::chrono_literals;
using test::FakeIcmp;

TEST(Reachability, FollowsTheTimingRules) {
  struct Case {
    const char* name;
    std::vector<FakeIcmp::Answer> script;
    bool reachable;
    PingResult last;
    int tries;
    std::chrono::milliseconds minTime, maxTime;
  };
  const Case cases[] = {
      {"answers at once: two tries", {FakeIcmp::answered(1ms)}, true, PingResult::Answered, 2, 20ms, 20ms},
      {"answers slowly but in time", {FakeIcmp::answered(395ms)}, true, PingResult::Answered, 2, 800ms, 800ms},
      {"never answers: a little over 5 s", {FakeIcmp::silent()}, false, PingResult::NotAnswered, 13, 5001ms, 5500ms},
      {"first answer, then silence",
       {FakeIcmp::answered(), FakeIcmp::silent()},
       false,
       PingResult::NotAnswered,
       14,
       5001ms,
       5500ms},
      {"the answers need not follow each other",
       {FakeIcmp::answered(), FakeIcmp::silent(), FakeIcmp::answered()},
       true,
       PingResult::Answered,
       3,
       420ms,
       440ms},
      {"a reply after 400 ms is too late",
       {FakeIcmp::answered(450ms)},
       false,
       PingResult::NotAnswered,
       13,
       5001ms,
       5500ms},
      {"a reply without data is no answer",
       {FakeIcmp::answered(1ms, 0)},
       false,
       PingResult::NotAnswered,
       501,
       5001ms,
       5020ms},
      {"the address cannot be used",
       {FakeIcmp::failing("\"a.b.c.d\" is no dotted IPv4 address")},
       false,
       PingResult::None,
       0,
       0ms,
       0ms},
      {"sending fails after an answer",
       {FakeIcmp::answered(), FakeIcmp::failing("no route")},
       false,
       PingResult::Answered,
       1,
       10ms,
       10ms},
  };
  for (const Case& c : cases) {
    test::FakeClock clock;
    FakeIcmp icmp(clock);
    icmp.script = c.script;
    int pumps = 0;
    const ReachabilityOutcome out = checkReachable(icmp, clock, "10.0.0.9", [&] { ++pumps; });
    EXPECT_EQ(out.reachable, c.reachable) << c.name;
    EXPECT_EQ(out.last, c.last) << c.name;
    EXPECT_EQ(out.tries, c.tries) << c.name;
    EXPECT_GE(clock.time, c.minTime) << c.name;
    EXPECT_LE(clock.time, c.maxTime) << c.name;
    EXPECT_EQ(pumps * 10ms, clock.time) << c.name << ": the window is pumped after every 10 ms pause";
    EXPECT_EQ(out.error.empty(), c.script.back().failure.empty()) << c.name;
    for (const std::string& address : icmp.sent) EXPECT_EQ(address, "10.0.0.9") << c.name;
  }
}

}  // namespace
}  // namespace konfex
