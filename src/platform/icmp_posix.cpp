#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "platform/icmp.h"

namespace konfex {

namespace {

constexpr uint8_t kEchoReply = 0;
constexpr uint8_t kEchoRequest = 8;
constexpr size_t kHeaderSize = 8;

uint16_t checksum(const std::string& bytes) {
  uint32_t sum = 0;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    sum += static_cast<uint32_t>(static_cast<unsigned char>(bytes[i]) << 8 | static_cast<unsigned char>(bytes[i + 1]));
  if (bytes.size() % 2 != 0) sum += static_cast<uint32_t>(static_cast<unsigned char>(bytes.back()) << 8);
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint16_t>(~sum & 0xFFFF);
}

void put16(std::string& s, size_t at, uint16_t v) {
  s[at] = static_cast<char>(v >> 8);
  s[at + 1] = static_cast<char>(v & 0xFF);
}

uint16_t get16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

std::string errorText(int code) {
  return std::strerror(code);
}

}  // namespace

SystemIcmpClient::SystemIcmpClient(std::vector<IcmpSocketKind> kinds) : kinds_(std::move(kinds)) {
  std::random_device seed;
  identifier_ = static_cast<uint16_t>(seed());
}

SystemIcmpClient::~SystemIcmpClient() {
  if (fd_ >= 0) ::close(fd_);
}

void SystemIcmpClient::open() {
  std::string reasons;
  for (const IcmpSocketKind kind : kinds_) {
    const int type = kind == IcmpSocketKind::Datagram ? SOCK_DGRAM : SOCK_RAW;
    const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_ICMP);
    if (fd >= 0) {
      fd_ = fd;
      kind_ = kind;
      return;
    }
    const int code = errno;
    if (!reasons.empty()) reasons += "; ";
    reasons += kind == IcmpSocketKind::Datagram
                   ? "unprivileged ICMP socket: " + errorText(code) + " (net.ipv4.ping_group_range)"
                   : "raw ICMP socket: " + errorText(code) + " (needs CAP_NET_RAW)";
  }
  throw IcmpError("no ICMP socket could be opened" + (reasons.empty() ? std::string() : ": " + reasons));
}

void SystemIcmpClient::sendEcho(const std::string& address) {
  waiting_ = false;
  const std::optional<Ipv4> target = parseIpv4(address);
  if (!target) throw IcmpError("\"" + address + "\" is no dotted IPv4 address");
  if (fd_ < 0) open();

  ++sequence_;
  std::string packet(kHeaderSize + kEchoDataSize, '\0');
  packet[0] = static_cast<char>(kEchoRequest);
  put16(packet, 4, identifier_);  // a datagram socket puts its own identifier here
  put16(packet, 6, sequence_);
  for (size_t i = 0; i < kEchoDataSize; ++i) packet[kHeaderSize + i] = static_cast<char>(i & 0xFF);
  put16(packet, 2, checksum(packet));

  sockaddr_in to{};
  to.sin_family = AF_INET;
  std::memcpy(&to.sin_addr, target->data(), 4);
  const ssize_t sent =
      ::sendto(fd_, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  if (sent != static_cast<ssize_t>(packet.size()))
    throw IcmpError("the echo request to " + address + " was not sent: " + errorText(sent < 0 ? errno : EMSGSIZE));
  target_ = *target;
  waiting_ = true;
}

std::optional<size_t> SystemIcmpClient::takeReply() {
  if (!waiting_ || fd_ < 0) return std::nullopt;
  unsigned char buffer[65536];
  for (;;) {
    sockaddr_in from{};
    socklen_t fromSize = sizeof from;
    const ssize_t n =
        ::recvfrom(fd_, buffer, sizeof buffer, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (n < 0) {
      if (errno == EINTR) continue;
      // Nothing more waiting; ICMP errors queued on the socket (an unreachable host) are no reply either.
      return std::nullopt;
    }
    const unsigned char* icmp = buffer;
    size_t size = static_cast<size_t>(n);
    if (kind_ == IcmpSocketKind::Raw) {
      // A raw socket sees every ICMP packet of the host, with its IP header, our own requests included.
      if (size < 20) continue;
      const size_t headerSize = static_cast<size_t>(buffer[0] & 0x0F) * 4;
      if (headerSize < 20 || size < headerSize) continue;
      icmp += headerSize;
      size -= headerSize;
    }
    if (std::memcmp(&from.sin_addr, target_.data(), 4) != 0) continue;
    if (size < kHeaderSize || icmp[0] != kEchoReply || icmp[1] != 0) continue;
    if (kind_ == IcmpSocketKind::Raw && get16(icmp + 4) != identifier_) continue;
    if (get16(icmp + 6) != sequence_) continue;  // a late reply to an earlier request
    waiting_ = false;
    return size - kHeaderSize;
  }
}

}  // namespace konfex
