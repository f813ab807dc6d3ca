// The system's ICMP echo client: an unprivileged ICMP datagram socket where the system allows one to this
// user (net.ipv4.ping_group_range on Linux), else a raw ICMP socket where the program has the right to it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/update/address.h"
#include "core/update/reachability.h"

namespace konfex {

enum class IcmpSocketKind { Datagram, Raw };

class SystemIcmpClient final : public IcmpClient {
 public:
  // The kinds are tried in this order when a request is sent and no socket is open yet.
  explicit SystemIcmpClient(std::vector<IcmpSocketKind> kinds = {IcmpSocketKind::Datagram, IcmpSocketKind::Raw});
  ~SystemIcmpClient() override;
  SystemIcmpClient(const SystemIcmpClient&) = delete;
  SystemIcmpClient& operator=(const SystemIcmpClient&) = delete;

  void sendEcho(const std::string& address) override;
  std::optional<size_t> takeReply() override;

  // The kind of the socket in use; nullopt before the first request or when none could be opened.
  std::optional<IcmpSocketKind> openKind() const { return fd_ >= 0 ? std::optional(kind_) : std::nullopt; }

 private:
  void open();

  std::vector<IcmpSocketKind> kinds_;
  IcmpSocketKind kind_ = IcmpSocketKind::Datagram;
  int fd_ = -1;
  uint16_t identifier_ = 0;
  uint16_t sequence_ = 0;
  bool waiting_ = false;
  Ipv4 target_{};
};

}  // namespace konfex
