// The update dialog's reachability check: ICMP echo requests to the device address, two of which must be
// answered within about five seconds. The algorithm is here; the ICMP client is the platform's.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/app/seams.h"

namespace konfex {

inline constexpr size_t kEchoDataSize = 1024;  // bytes of echo data in every request
inline constexpr std::chrono::milliseconds kEchoReplyTimeout{400};
inline constexpr std::chrono::milliseconds kEchoPumpInterval{10};
inline constexpr std::chrono::milliseconds kReachabilityLimit{5000};
inline constexpr int kAnsweredTriesNeeded = 2;

// The echo could not be sent: no ICMP socket could be opened, the address text is no dotted IPv4
// address, or the system refused the datagram.
class IcmpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An ICMP echo client for IPv4. One request is outstanding at a time; a new request forgets the last.
class IcmpClient {
 public:
  virtual ~IcmpClient() = default;
  // Sends one echo request carrying kEchoDataSize bytes to the dotted IPv4 address; throws IcmpError.
  virtual void sendEcho(const std::string& address) = 0;
  // Never waits: the number of echo data bytes of the reply to the last request once it has arrived.
  virtual std::optional<size_t> takeReply() = 0;
};

// The outcome of the last echo request, as the dialog keeps it.
enum class PingResult { None = 0, Answered = 1, NotAnswered = 2 };

struct ReachabilityOutcome {
  bool reachable = false;  // true exactly when the last try was answered
  PingResult last = PingResult::None;
  int tries = 0;
  int answered = 0;
  std::string error;  // what the ICMP client reported when sending failed
};

// Runs the check on the caller's thread; `pump` runs after every 10 ms pause so a window stays responsive.
ReachabilityOutcome checkReachable(IcmpClient& icmp, Clock& clock, const std::string& address,
                                   const std::function<void()>& pump = {});

}  // namespace konfex
