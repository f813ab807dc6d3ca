// The updater's side of the wire: TFTP transfers to and from the device's boot port, and the device's
// few commands, each with bounded retries and a fall-back to the secondary port.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>

#include "core/update/device_command.h"
#include "core/update/tftp.h"
#include "platform/udp.h"

namespace konfex {

// The transfer or command failed; the message says which and why.
class LinkError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct LinkLimits {
  // A port that has not answered yet gets this many tries of this long before the next port is tried.
  int firstContactTries = 4;
  std::chrono::milliseconds firstContactWait{500};
  // Once the device has answered, it is given up as gone after this long without an answer.
  std::chrono::milliseconds silenceLimit{4000};
  size_t blockSize = tftp::kPreferredBlockSize;
};

// The ports to reach one service on: the primary first, then the secondary (0: none).
struct PortChoice {
  Ipv4 address{};
  uint16_t primary = 0;
  uint16_t secondary = 0;
};

class DeviceLink {
 public:
  // `cancel` is polled while waiting; once set, the step in progress ends with LinkError.
  explicit DeviceLink(const std::atomic<bool>& cancel, LinkLimits limits = {});

  using Progress = std::function<void(size_t bytesDone)>;

  // Writes the bytes as a file of that name (TFTP write request); returns the port that answered.
  uint16_t write(const PortChoice& to, const std::string& name, std::string_view bytes, const Progress& progress);
  // Reads `length` bytes of the file of that name; fewer when the file is shorter. Returns the bytes.
  std::string read(const PortChoice& to, const std::string& name, size_t length, const Progress& progress,
                   uint16_t* answeredPort = nullptr);
  // Sends a command and waits for its reply; throws LinkError for ERR or no reply.
  uint16_t command(const PortChoice& to, uint8_t code, std::vector<std::string> args);

 private:
  struct Answer {
    Received datagram;
    uint16_t port;  // the port the request went to
  };
  // Sends `request` to the ports in turn (those that answered before first) until `accept` takes an answer.
  Answer firstAnswer(UdpSocket& socket, const PortChoice& to, const std::string& request,
                     const std::function<bool(const Received&)>& accept, const std::string& what);
  void checkCancel() const;

  const std::atomic<bool>& cancel_;
  LinkLimits limits_;
  tftp::RetransmitTimer timer_;
  std::set<std::pair<Ipv4, uint16_t>> answered_;  // the ports that have answered
  uint32_t sequence_ = 0;
};

}  // namespace konfex
