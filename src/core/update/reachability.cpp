#include "core/update/reachability.h"

namespace konfex {

ReachabilityOutcome checkReachable(IcmpClient& icmp, Clock& clock, const std::string& address,
                                   const std::function<void()>& pump) {
  ReachabilityOutcome out;
  const std::chrono::milliseconds start = clock.now();
  for (;;) {
    const std::chrono::milliseconds tryStart = clock.now();
    try {
      icmp.sendEcho(address);
    } catch (const IcmpError& e) {
      // The result of the last completed try stays as it was.
      out.error = e.what();
      out.reachable = false;
      return out;
    }
    ++out.tries;
    // The try ends with the reply or when the client's reply time-out has passed, whichever is first;
    // the time-out counts as a reply without data, as the client reports it.
    for (;;) {
      clock.sleep(kEchoPumpInterval);
      if (pump) pump();
      if (const std::optional<size_t> bytes = icmp.takeReply()) {
        out.last = *bytes > 0 ? PingResult::Answered : PingResult::NotAnswered;
        break;
      }
      if (clock.now() - tryStart > kEchoReplyTimeout) {
        out.last = PingResult::NotAnswered;
        break;
      }
    }
    if (out.last == PingResult::Answered && ++out.answered >= kAnsweredTriesNeeded) break;
    if (clock.now() - start > kReachabilityLimit) break;
  }
  out.reachable = out.last == PingResult::Answered;
  return out;
}

}  // namespace konfex
