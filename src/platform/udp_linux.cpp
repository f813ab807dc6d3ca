#include <arpa/inet.h>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/udp.h"

namespace konfex {

namespace {

sockaddr_in toSockaddr(const Endpoint& e) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(e.port);
  std::memcpy(&a.sin_addr, e.address.data(), 4);
  return a;
}

Endpoint fromSockaddr(const sockaddr_in& a) {
  Endpoint e;
  std::memcpy(e.address.data(), &a.sin_addr, 4);
  e.port = ntohs(a.sin_port);
  return e;
}

int pollTimeout(std::chrono::milliseconds timeout) {
  return timeout.count() <= 0 ? 0 : static_cast<int>(std::min<long long>(timeout.count(), 1 << 30));
}

}  // namespace

std::string Endpoint::text() const {
  return ipv4Text(address) + ":" + std::to_string(port);
}

UdpSocket::UdpSocket(const Ipv4& local, uint16_t port) {
  fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd_ < 0) throw SocketError(std::string("cannot open a UDP socket: ") + std::strerror(errno));
  // ICMP errors about our datagrams (port unreachable) are queued on the socket instead of being lost.
  const int on = 1;
  ::setsockopt(fd_, IPPROTO_IP, IP_RECVERR, &on, sizeof on);
  const sockaddr_in a = toSockaddr({local, port});
  if (::bind(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
    const std::string reason = std::strerror(errno);
    ::close(fd_);
    fd_ = -1;
    throw SocketError("cannot listen on " + Endpoint{local, port}.text() + ": " + reason);
  }
  sockaddr_in bound{};
  socklen_t size = sizeof bound;
  ::getsockname(fd_, reinterpret_cast<sockaddr*>(&bound), &size);
  port_ = ntohs(bound.sin_port);
}

UdpSocket::~UdpSocket() {
  if (fd_ >= 0) ::close(fd_);
}

UdpSocket::UdpSocket(UdpSocket&& other) noexcept : fd_(other.fd_), port_(other.port_) {
  other.fd_ = -1;
}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    port_ = other.port_;
    other.fd_ = -1;
  }
  return *this;
}

void UdpSocket::sendTo(const Endpoint& to, std::string_view bytes) {
  const sockaddr_in a = toSockaddr(to);
  for (;;) {
    const ssize_t n = ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&a), sizeof a);
    if (n == static_cast<ssize_t>(bytes.size())) return;
    if (n < 0 && errno == EINTR) continue;
    // A queued error of an earlier datagram is reported here once; it is not this datagram's failure.
    if (n < 0 && (errno == ECONNREFUSED || errno == EHOSTUNREACH || errno == ENETUNREACH)) continue;
    if (n < 0 && (errno == EAGAIN || errno == ENOBUFS)) {
      pollfd p{fd_, POLLOUT, 0};
      ::poll(&p, 1, 100);
      continue;
    }
    throw SocketError("cannot send to " + to.text() + ": " + std::strerror(n < 0 ? errno : EMSGSIZE));
  }
}

std::optional<Received> UdpSocket::takeError() {
  char data[512];
  char control[512];
  sockaddr_in offender{};
  iovec io{data, sizeof data};
  msghdr msg{};
  msg.msg_name = &offender;
  msg.msg_namelen = sizeof offender;
  msg.msg_iov = &io;
  msg.msg_iovlen = 1;
  msg.msg_control = control;
  msg.msg_controllen = sizeof control;
  if (::recvmsg(fd_, &msg, MSG_ERRQUEUE | MSG_DONTWAIT) < 0) return std::nullopt;
  for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
    if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_RECVERR) continue;
    sock_extended_err err{};
    std::memcpy(&err, CMSG_DATA(c), sizeof err);
    // Only "port unreachable" tells that nobody listens there; other notices change nothing.
    if (err.ee_origin == SO_EE_ORIGIN_ICMP && err.ee_type == 3 && err.ee_code == 3)
      return Received{Received::Kind::Unreachable, fromSockaddr(offender), {}};
  }
  return Received{Received::Kind::Unreachable, {}, {}};  // consumed; port 0 marks "not for anyone"
}

std::optional<Received> UdpSocket::receive(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::vector<char> buffer(65536);
  for (;;) {
    sockaddr_in from{};
    socklen_t size = sizeof from;
    const ssize_t n = ::recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &size);
    if (n >= 0) return Received{Received::Kind::Datagram, fromSockaddr(from), std::string(buffer.data(), size_t(n))};
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      // An error notice is waiting in the queue.
      if (std::optional<Received> e = takeError(); e && e->from.port != 0) return e;
      continue;
    }
    if (std::optional<Received> e = takeError()) {
      if (e->from.port != 0) return e;
      continue;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd p{fd_, POLLIN, 0};
    ::poll(&p, 1, pollTimeout(left));
  }
}

int waitAny(std::span<UdpSocket* const> sockets, std::chrono::milliseconds timeout) {
  std::vector<pollfd> fds;
  for (UdpSocket* s : sockets) fds.push_back({s->fd_, POLLIN, 0});
  for (;;) {
    const int r = ::poll(fds.data(), fds.size(), pollTimeout(timeout));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return -1;
    for (size_t i = 0; i < fds.size(); ++i)
      if (fds[i].revents != 0) return static_cast<int>(i);
    return -1;
  }
}

}  // namespace konfex
