#include "device_link.h"

#include <algorithm>
#include <cstdio>

namespace konfex {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

enum class Verdict { Take, Skip, Repeat };

std::optional<tftp::Packet> packetOf(const Received& r) {
  if (r.kind != Received::Kind::Datagram) return std::nullopt;
  return tftp::parse(r.bytes);
}

bool is(const std::optional<tftp::Packet>& p, tftp::Opcode op) {
  return p && p->opcode == op;
}

std::string refused(const std::string& what, const tftp::Packet& p) {
  return "the device refused the " + what + ": " + (p.errorMessage.empty() ? "no reason given" : p.errorMessage) +
         " (TFTP error " + std::to_string(p.errorCode) + ")";
}

milliseconds until(Clock::time_point t) {
  return std::chrono::duration_cast<milliseconds>(t - Clock::now());
}

std::chrono::microseconds since(Clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - t);
}

// One lock-step exchange with the peer's transfer port: send, then wait for the packet `judge` takes,
// sending again after each time-out, or at once when `judge` asks for it. Gives up after `silence`
// without any packet from the peer.
Received exchange(UdpSocket& socket, const Endpoint& peer, const std::string& packet,
                  const std::function<Verdict(const tftp::Packet&)>& judge, tftp::RetransmitTimer& timer,
                  milliseconds silence, const std::function<void()>& checkCancel, const std::string& what) {
  socket.sendTo(peer, packet);
  auto sent = Clock::now();
  auto heard = sent;
  bool repeated = false;
  for (;;) {
    const auto deadline = sent + timer.timeout();
    for (milliseconds left = until(deadline); left.count() > 0; left = until(deadline)) {
      checkCancel();
      const std::optional<Received> r = socket.receive(std::min(left, milliseconds(100)));
      if (!r) continue;
      if (r->kind == Received::Kind::Unreachable) {
        if (r->from == peer) throw LinkError("the device stopped listening during the " + what);
        continue;
      }
      if (r->from != peer) {
        // Another transfer's port (a late answer to a repeated request): tell it to stop.
        if (r->from.address == peer.address) socket.sendTo(r->from, tftp::error(tftp::kUnknownTransferId, "unknown"));
        continue;
      }
      const std::optional<tftp::Packet> p = tftp::parse(r->bytes);
      if (!p) continue;
      heard = Clock::now();
      switch (judge(*p)) {
        case Verdict::Take:
          if (!repeated) timer.sample(since(sent));
          return *r;
        case Verdict::Skip: break;
        case Verdict::Repeat:
          socket.sendTo(peer, packet);
          repeated = true;
          break;
      }
    }
    if (Clock::now() - heard >= silence) {
      char seconds[32];
      std::snprintf(seconds, sizeof seconds, "%.1f", static_cast<double>(silence.count()) / 1000.0);
      throw LinkError("no answer from " + peer.text() + " for " + seconds + " s during the " + what +
                      ": the device is gone");
    }
    timer.backOff();
    socket.sendTo(peer, packet);
    sent = Clock::now();
    repeated = true;
  }
}

}  // namespace

DeviceLink::DeviceLink(const std::atomic<bool>& cancel, LinkLimits limits) : cancel_(cancel), limits_(limits) {}

void DeviceLink::checkCancel() const {
  if (cancel_.load()) throw LinkError("cancelled by the user");
}

DeviceLink::Answer DeviceLink::firstAnswer(UdpSocket& socket, const PortChoice& to, const std::string& request,
                                           const std::function<bool(const Received&)>& accept,
                                           const std::string& what) {
  std::vector<uint16_t> ports{to.primary};
  if (to.secondary != 0 && to.secondary != to.primary) ports.push_back(to.secondary);
  // A port that answered before is asked first, and is not given up as quickly.
  std::stable_partition(ports.begin(), ports.end(), [&](uint16_t p) { return answered_.count({to.address, p}) != 0; });
  std::string tried;
  for (const uint16_t port : ports) {
    const Endpoint target{to.address, port};
    const bool known = answered_.count({to.address, port}) != 0;
    const auto started = Clock::now();
    bool unreachable = false;
    for (int attempt = 0; !unreachable; ++attempt) {
      if (known ? Clock::now() - started >= limits_.silenceLimit : attempt >= limits_.firstContactTries) break;
      socket.sendTo(target, request);
      const auto sent = Clock::now();
      const auto deadline = sent + (known ? timer_.timeout() : std::max(timer_.timeout(), limits_.firstContactWait));
      for (milliseconds left = until(deadline); left.count() > 0; left = until(deadline)) {
        checkCancel();
        const std::optional<Received> r = socket.receive(std::min(left, milliseconds(100)));
        if (!r) continue;
        if (r->kind == Received::Kind::Unreachable) {
          unreachable = r->from == target;
          if (unreachable) break;
          continue;
        }
        if (r->from.address != to.address || !accept(*r)) continue;
        if (attempt == 0) timer_.sample(since(sent));
        answered_.insert({to.address, port});
        return {*r, port};
      }
      if (!unreachable) timer_.backOff();
    }
    tried += (tried.empty() ? "" : " or ") + std::to_string(port) + (unreachable ? " (nothing listens there)" : "");
  }
  throw LinkError("no answer from " + ipv4Text(to.address) + " on port " + tried + " to the " + what);
}

uint16_t DeviceLink::write(const PortChoice& to, const std::string& name, std::string_view bytes,
                           const Progress& progress) {
  const std::string what = "write of " + name;
  UdpSocket socket;
  const tftp::Options wanted{{"blksize", std::to_string(limits_.blockSize)}, {"tsize", std::to_string(bytes.size())}};
  const Answer first = firstAnswer(
      socket, to, tftp::request(tftp::Opcode::WriteRequest, name, wanted),
      [](const Received& r) {
        const auto p = packetOf(r);
        return is(p, tftp::Opcode::OptionAck) || is(p, tftp::Opcode::Error) ||
               (is(p, tftp::Opcode::Ack) && p->block == 0);
      },
      what);
  const Endpoint peer = first.datagram.from;
  const tftp::Packet answer = *tftp::parse(first.datagram.bytes);
  if (answer.opcode == tftp::Opcode::Error) throw LinkError(refused(what, answer));
  size_t blockSize = tftp::kDefaultBlockSize;
  if (answer.opcode == tftp::Opcode::OptionAck && tftp::option(answer.options, "blksize")) {
    const std::optional<size_t> offered = tftp::blockSize(answer.options);
    if (!offered || *offered > limits_.blockSize) {
      socket.sendTo(peer, tftp::error(tftp::kOptionRefused, "block size not acceptable"));
      throw LinkError("the device offered an unusable block size during the " + what);
    }
    blockSize = *offered;
  }
  const size_t blocks = bytes.size() / blockSize + 1;
  if (blocks > 65535) {
    socket.sendTo(peer, tftp::error(tftp::kDiskFull, "too large"));
    throw LinkError("the file is too large for one transfer at block size " + std::to_string(blockSize));
  }
  for (size_t k = 1; k <= blocks; ++k) {
    const auto block = static_cast<uint16_t>(k);
    const std::string_view chunk = bytes.substr(std::min(bytes.size(), (k - 1) * blockSize), blockSize);
    const Received r = exchange(
        socket, peer, tftp::data(block, chunk),
        [block](const tftp::Packet& p) {
          if (p.opcode == tftp::Opcode::Error) return Verdict::Take;
          // A repeated acknowledgement of the block before is not answered: that would double every packet.
          return p.opcode == tftp::Opcode::Ack && p.block == block ? Verdict::Take : Verdict::Skip;
        },
        timer_, limits_.silenceLimit, [this] { checkCancel(); }, what);
    const tftp::Packet p = *tftp::parse(r.bytes);
    if (p.opcode == tftp::Opcode::Error) throw LinkError(refused(what, p));
    if (progress) progress(std::min(bytes.size(), k * blockSize));
  }
  return first.port;
}

std::string DeviceLink::read(const PortChoice& to, const std::string& name, size_t length, const Progress& progress,
                             uint16_t* answeredPort) {
  const std::string what = "read of " + name;
  UdpSocket socket;
  const tftp::Options wanted{{"blksize", std::to_string(limits_.blockSize)}};
  const Answer first = firstAnswer(
      socket, to, tftp::request(tftp::Opcode::ReadRequest, name, wanted),
      [](const Received& r) {
        const auto p = packetOf(r);
        return is(p, tftp::Opcode::OptionAck) || is(p, tftp::Opcode::Error) ||
               (is(p, tftp::Opcode::Data) && p->block == 1);
      },
      what);
  if (answeredPort != nullptr) *answeredPort = first.port;
  const Endpoint peer = first.datagram.from;
  tftp::Packet p = *tftp::parse(first.datagram.bytes);
  if (p.opcode == tftp::Opcode::Error) throw LinkError(refused(what, p));
  size_t blockSize = tftp::kDefaultBlockSize;
  const auto nextData = [&](uint16_t block, const std::string& ourPacket) {
    const Received r = exchange(
        socket, peer, ourPacket,
        [block](const tftp::Packet& q) {
          if (q.opcode == tftp::Opcode::Error) return Verdict::Take;
          if (q.opcode != tftp::Opcode::Data) return Verdict::Skip;
          if (q.block == block) return Verdict::Take;
          // The block before again: our acknowledgement was lost.
          return q.block == static_cast<uint16_t>(block - 1) ? Verdict::Repeat : Verdict::Skip;
        },
        timer_, limits_.silenceLimit, [this] { checkCancel(); }, what);
    tftp::Packet q = *tftp::parse(r.bytes);
    if (q.opcode == tftp::Opcode::Error) throw LinkError(refused(what, q));
    return q;
  };
  if (p.opcode == tftp::Opcode::OptionAck) {
    if (tftp::option(p.options, "blksize")) {
      const std::optional<size_t> offered = tftp::blockSize(p.options);
      if (!offered || *offered > limits_.blockSize) {
        socket.sendTo(peer, tftp::error(tftp::kOptionRefused, "block size not acceptable"));
        throw LinkError("the device offered an unusable block size during the " + what);
      }
      blockSize = *offered;
    }
    p = nextData(1, tftp::ack(0));
  }
  std::string out;
  for (uint16_t block = 1;; ++block) {
    out.append(p.data, 0, std::min(p.data.size(), length - std::min(length, out.size())));
    if (progress) progress(out.size());
    if (p.data.size() < blockSize) {
      socket.sendTo(peer, tftp::ack(block));
      return out;
    }
    if (out.size() >= length) {
      // All that was asked for: end the transfer rather than read the rest.
      socket.sendTo(peer, tftp::error(tftp::kNotDefined, "read complete"));
      return out;
    }
    if (block == 65535) throw LinkError("the " + what + " is longer than one transfer can be");
    p = nextData(static_cast<uint16_t>(block + 1), tftp::ack(block));
  }
}

uint16_t DeviceLink::command(const PortChoice& to, uint8_t code, std::vector<std::string> args) {
  UdpSocket socket;
  const uint32_t seq = ++sequence_;
  const std::string what = "command " + devcmd::name(code);
  const Answer a = firstAnswer(
      socket, to, devcmd::format(devcmd::Command{seq, code, std::move(args)}),
      [seq](const Received& r) {
        const auto reply = devcmd::parseReply(r.bytes);
        return reply && reply->sequence == seq;
      },
      what);
  const devcmd::Reply reply = *devcmd::parseReply(a.datagram.bytes);
  if (!reply.ok)
    throw LinkError("the device refused the " + what + ": " +
                    (reply.reason.empty() ? "no reason given" : reply.reason));
  return a.port;
}

}  // namespace konfex
