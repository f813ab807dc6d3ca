#include "platform/icmp.h"

#include <grp.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/update/reachability.h"
#include "network_namespace.h"
#include "platform/process.h"
#include "platform/udp.h"

namespace konfex {
namespace {

using namespace std::chrono_literals;

// Every address of these tests is 127.0.0.1 or inside a namespace of the test's own.

#define SKIP_WITHOUT_NAMESPACE(run) \
  if (!(run).made) GTEST_SKIP() << (run).message

TEST(SystemIcmpClient, TheLoopbackAnswersTwice) {
  SystemIcmpClient icmp;
  SteadyClock clock;
  const ReachabilityOutcome out = checkReachable(icmp, clock, "127.0.0.1");
  if (out.error.find("no ICMP socket") != std::string::npos) GTEST_SKIP() << out.error;
  EXPECT_TRUE(out.reachable) << out.error;
  EXPECT_EQ(out.tries, 2);
  EXPECT_EQ(out.answered, 2);
}

TEST(SystemIcmpClient, RefusesAddressTextsItCannotUse) {
  SystemIcmpClient icmp;
  for (const char* text : {"", "abc.0.0.1", "127.0.0", " 127.0.0.1", "127.0.0.256", "localhost"}) {
    EXPECT_THROW(icmp.sendEcho(text), IcmpError) << '"' << text << '"';
    EXPECT_FALSE(icmp.takeReply()) << text;
  }
}

TEST(SystemIcmpClient, AnAddressThatNeverAnswersTakesALittleOverFiveSeconds) {
  const test::NamespaceRun run = test::inOwnNetwork([]() -> std::string {
    if (!test::routeIntoLoopback("10.77.0.0", "255.255.0.0")) return "no route into the loopback";
    SystemIcmpClient icmp;
    SteadyClock clock;
    const auto start = clock.now();
    const ReachabilityOutcome out = checkReachable(icmp, clock, "10.77.0.1");
    const auto took = clock.now() - start;
    if (out.reachable) return "10.77.0.1 answered";
    if (out.last != PingResult::NotAnswered) return "not a silent address: " + out.error;
    if (took < 5000ms || took > 6000ms) return "took " + std::to_string(took.count()) + " ms";
    if (out.tries < 12 || out.tries > 13) return std::to_string(out.tries) + " tries";
    return {};
  });
  SKIP_WITHOUT_NAMESPACE(run);
  EXPECT_EQ(run.message, "");
}

TEST(SystemIcmpClient, UsesEitherKindOfSocket) {
  const test::NamespaceRun run = test::inOwnNetwork([]() -> std::string {
    // Allow unprivileged ICMP sockets to everyone in this namespace, so both kinds can be opened.
    if (!test::setPingGroupRange("0 2147483647")) return "ping_group_range not set";
    for (const IcmpSocketKind kind : {IcmpSocketKind::Datagram, IcmpSocketKind::Raw}) {
      SystemIcmpClient icmp({kind});
      SteadyClock clock;
      const ReachabilityOutcome out = checkReachable(icmp, clock, "127.0.0.1");
      const std::string name = kind == IcmpSocketKind::Datagram ? "datagram" : "raw";
      if (!out.reachable) return name + ": not reachable: " + out.error;
      if (icmp.openKind() != kind) return name + ": another kind was opened";
    }
    return {};
  });
  SKIP_WITHOUT_NAMESPACE(run);
  EXPECT_EQ(run.message, "");
}

TEST(SystemIcmpClient, WithoutTheRightToEitherSocketTheCheckFailsCleanly) {
  const test::NamespaceRun run = test::inOwnNetwork([]() -> std::string {
    // A fresh namespace allows unprivileged ICMP to no group; as nobody, raw sockets are refused too.
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) return "could not become nobody";
    SystemIcmpClient icmp;
    SteadyClock clock;
    const ReachabilityOutcome out = checkReachable(icmp, clock, "127.0.0.1");
    if (out.reachable || out.last != PingResult::None || out.tries != 0) return "a request went out";
    if (out.error.find("no ICMP socket could be opened") == std::string::npos) return "said: " + out.error;
    if (out.error.find("ping_group_range") == std::string::npos || out.error.find("CAP_NET_RAW") == std::string::npos)
      return "the reasons are missing: " + out.error;
    return {};
  });
  SKIP_WITHOUT_NAMESPACE(run);
  EXPECT_EQ(run.message, "");
}

TEST(UdpSocket, ReportsAPortNobodyListensOn) {
  uint16_t closedPort = 0;
  {
    UdpSocket probe({127, 0, 0, 1});
    closedPort = probe.localPort();
  }
  UdpSocket socket({127, 0, 0, 1});
  const Endpoint target{{127, 0, 0, 1}, closedPort};
  socket.sendTo(target, "hello");
  const std::optional<Received> r = socket.receive(1000ms);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->kind, Received::Kind::Unreachable);
  EXPECT_EQ(r->from, target);

  UdpSocket peer({127, 0, 0, 1});
  socket.sendTo({{127, 0, 0, 1}, peer.localPort()}, "ping");
  const std::optional<Received> got = peer.receive(1000ms);
  ASSERT_TRUE(got);
  EXPECT_EQ(got->bytes, "ping");
  EXPECT_EQ(got->from, (Endpoint{{127, 0, 0, 1}, socket.localPort()}));
  EXPECT_FALSE(peer.receive(0ms)) << "nothing more waiting";
}

}  // namespace
}  // namespace konfex
