// UDP sockets for the updater and the device simulator. Where the system reports it, a datagram that
// reached a port nobody listens on comes back as an Unreachable notice, so a client can move on at once.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/update/address.h"

namespace konfex {

class SocketError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Endpoint {
  Ipv4 address{};
  uint16_t port = 0;
  bool operator==(const Endpoint&) const = default;
  std::string text() const;  // "127.0.0.1:2008"
};

struct Received {
  enum class Kind { Datagram, Unreachable };
  Kind kind = Kind::Datagram;
  Endpoint from;  // the sender, or for Unreachable the endpoint our datagram was addressed to
  std::string bytes;
};

class UdpSocket {
 public:
  // Binds to the local address and port (0: a free port the system picks); throws SocketError.
  explicit UdpSocket(const Ipv4& local = {0, 0, 0, 0}, uint16_t port = 0);
  ~UdpSocket();
  UdpSocket(UdpSocket&& other) noexcept;
  UdpSocket& operator=(UdpSocket&& other) noexcept;
  UdpSocket(const UdpSocket&) = delete;
  UdpSocket& operator=(const UdpSocket&) = delete;

  uint16_t localPort() const { return port_; }
  // Throws SocketError when the system refuses the datagram.
  void sendTo(const Endpoint& to, std::string_view bytes);
  // Waits at most `timeout` (0: does not wait) for a datagram or an unreachable notice.
  std::optional<Received> receive(std::chrono::milliseconds timeout);

 private:
  friend int waitAny(std::span<UdpSocket* const> sockets, std::chrono::milliseconds timeout);
  std::optional<Received> takeError();

  int fd_ = -1;
  uint16_t port_ = 0;
};

// Index of the first socket with something to receive, or -1 once the time-out has passed.
int waitAny(std::span<UdpSocket* const> sockets, std::chrono::milliseconds timeout);

}  // namespace konfex
