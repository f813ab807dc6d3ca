#include "simulator.h"

#include <algorithm>
#include <cstdio>

#include "core/editors/number_text.h"
#include "core/image/image_dump.h"
#include "core/io/files.h"
#include "core/io/text.h"
#include "core/update/device_command.h"
#include "sim_firmware.h"

namespace konfex {

namespace {

using std::chrono::milliseconds;

constexpr auto kWriteIdleLimit = std::chrono::seconds(10);
constexpr auto kLinger = std::chrono::seconds(3);  // a finished write still answers repeats of its last block
constexpr int kRetransmits = 10;

// A transfer's name is the start address as the job writes it; anything else names no memory.
std::optional<uint32_t> addressOf(const std::string& name) {
  if (name.empty() || name.size() > 12 || name.find_first_not_of("0123456789abcdefABCDEFxX$") != std::string::npos)
    return std::nullopt;
  const std::optional<int32_t> v = parseIntText(name);
  if (!v) return std::nullopt;
  return static_cast<uint32_t>(*v);
}

bool fits(uint64_t address, uint64_t length) {
  return address <= kSimMemorySize && length <= kSimMemorySize - address;
}

std::string dotted(const uint8_t* b) {
  return ipv4Text({b[0], b[1], b[2], b[3]});
}

std::string secondsText(std::chrono::steady_clock::duration d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f s", std::chrono::duration<double>(d).count());
  return buf;
}

}  // namespace

std::string configurationSummary(std::string_view image) {
  const DecodedImage d = decodeImage(std::span(reinterpret_cast<const uint8_t*>(image.data()), image.size()));
  if (!d.params) return "configuration image of " + std::to_string(image.size()) + " bytes: too short to decode";
  const ParamSummary& p = *d.params;
  return "configuration: CAN bit rate " + std::to_string(p.bitRate) + " bit/s, address " + dotted(&p.network[0]) +
         " mask " + dotted(&p.network[4]) + " gateway " + dotted(&p.network[8]) + ", " + std::to_string(p.frameCount) +
         " frames, " + std::to_string(p.connectionCount) + " connections, checksum " + hex32(p.storedChecksum) + " " +
         (d.checksumMatches() ? "valid" : "INVALID (computed " + hex32(p.computedChecksum) + ")") +
         (d.sizeMatches() ? "" : ", size " + std::to_string(d.size) + " instead of " + std::to_string(kImageSize));
}

Simulator::Simulator(const SimulatorOptions& options, std::ostream& log)
    : options_(options),
      log_(log),
      app_(options.address, options.appPort),
      boot_(options.address, options.bootPort),
      memory_(kSimMemorySize, '\xFF'),
      random_(options.seed != 0 ? options.seed : std::random_device()()) {}

void Simulator::line(const std::string& text) {
  log_ << text << std::endl;
}

bool Simulator::lost() {
  return options_.drop > 0 && chance_(random_) < options_.drop;
}

void Simulator::send(UdpSocket& socket, const Endpoint& to, const std::string& bytes) {
  if (lost()) return;
  try {
    socket.sendTo(to, bytes);
  } catch (const SocketError& e) {
    line(std::string("send failed: ") + e.what());
  }
}

void Simulator::run(const std::atomic<bool>& stop) {
  while (!stop.load()) serve(milliseconds(50));
}

void Simulator::serve(milliseconds slice) {
  const auto end = Clock::now() + slice;
  do {
    std::vector<UdpSocket*> sockets{&app_, &boot_};
    for (Transfer& t : transfers_) sockets.push_back(&t.socket);
    const int ready = waitAny(sockets, milliseconds(10));
    if (ready >= 0) {
      UdpSocket* socket = sockets[static_cast<size_t>(ready)];
      while (std::optional<Received> r = socket->receive(milliseconds(0))) {
        if (r->kind == Received::Kind::Datagram && lost()) continue;
        if (socket == &app_) {
          onApplicationPort(*r);
        } else if (socket == &boot_) {
          onBootPort(*r);
        } else {
          const auto it = std::find_if(transfers_.begin(), transfers_.end(),
                                       [socket](const Transfer& t) { return &t.socket == socket; });
          if (it != transfers_.end()) onTransfer(*it, *r);
          break;  // the transfer may be gone now, and its socket with it
        }
      }
    }
    tick();
  } while (Clock::now() < end);
}

void Simulator::onApplicationPort(const Received& r) {
  if (r.kind != Received::Kind::Datagram) return;
  if (!devcmd::parseCommand(r.bytes)) return;  // the application answers nothing else here
  send(app_, r.from, command(r.bytes, true));
}

void Simulator::onBootPort(const Received& r) {
  if (r.kind != Received::Kind::Datagram) return;
  if (devcmd::parseCommand(r.bytes)) {
    send(boot_, r.from, command(r.bytes, false));
    return;
  }
  const std::optional<tftp::Packet> p = tftp::parse(r.bytes);
  if (!p) return;
  if (p->opcode != tftp::Opcode::ReadRequest && p->opcode != tftp::Opcode::WriteRequest) {
    send(boot_, r.from, tftp::error(tftp::kUnknownTransferId, "no transfer here"));
    return;
  }
  startTransfer(*p, r.from);
}

void Simulator::startTransfer(const tftp::Packet& request, const Endpoint& from) {
  const bool writing = request.opcode == tftp::Opcode::WriteRequest;
  // A repeated request whose answer was lost: answer again from the same transfer.
  for (Transfer& t : transfers_) {
    if (t.peer == from && t.name == request.fileName && t.writing == writing && t.block == 0 && !t.complete) {
      send(t.socket, t.peer, t.lastSent);
      ++t.repeats;
      return;
    }
  }
  const auto refuse = [&](uint16_t code, const std::string& why) {
    line(std::string(writing ? "WRQ " : "RRQ ") + request.fileName + " from " + from.text() + " refused: " + why);
    send(boot_, from, tftp::error(code, why));
  };
  if (request.mode != "octet") return refuse(tftp::kIllegalOperation, "only octet mode");
  const std::optional<uint32_t> address = addressOf(request.fileName);
  if (!address) return refuse(tftp::kFileNotFound, "the name is no memory address");

  Transfer t(UdpSocket(options_.address, 0));
  t.peer = from;
  t.writing = writing;
  t.name = request.fileName;
  t.address = *address;
  t.started = t.lastHeard = Clock::now();
  tftp::Options accepted;
  if (const std::optional<size_t> bs = tftp::blockSize(request.options)) {
    t.blockSize = *bs;
    accepted.emplace_back("blksize", std::to_string(*bs));
  }
  if (writing) {
    if (const std::optional<std::string> size = tftp::option(request.options, "tsize")) {
      const unsigned long long n =
          size->find_first_not_of("0123456789") == std::string::npos && !size->empty() && size->size() < 12
              ? std::stoull(*size)
              : ~0ull;
      if (!fits(*address, n)) return refuse(tftp::kDiskFull, "the data does not fit the memory at " + t.name);
      accepted.emplace_back("tsize", *size);
    }
    if (!fits(*address, 0)) return refuse(tftp::kDiskFull, "no memory at " + t.name);
  } else {
    const auto w = written_.find(*address);
    if (w == written_.end()) return refuse(tftp::kFileNotFound, "nothing was written at " + t.name);
    t.length = w->second;
  }
  line(std::string(writing ? "WRQ " : "RRQ ") + t.name + " from " + from.text() + ", block size " +
       std::to_string(t.blockSize) + (writing ? "" : ", " + std::to_string(t.length) + " bytes"));
  transfers_.push_back(std::move(t));
  Transfer& added = transfers_.back();
  if (!accepted.empty()) {
    added.lastSent = tftp::optionAck(accepted);  // acknowledged by ACK 0 (read) or DATA 1 (write)
    added.sentAt = Clock::now();
    send(added.socket, added.peer, added.lastSent);
  } else if (writing) {
    added.lastSent = tftp::ack(0);
    send(added.socket, added.peer, added.lastSent);
  } else {
    added.block = 1;
    sendData(added, false);
  }
}

void Simulator::sendData(Transfer& t, bool again) {
  if (!again) {
    const size_t from = std::min(t.length, (size_t{t.block} - 1) * t.blockSize);
    const size_t n = std::min(t.blockSize, t.length - from);
    t.lastSent = tftp::data(t.block, std::string_view(memory_).substr(t.address + from, n));
    t.timeouts = 0;
    t.repeated = false;
  } else {
    t.repeated = true;
    ++t.repeats;
  }
  t.sentAt = Clock::now();
  send(t.socket, t.peer, t.lastSent);
}

void Simulator::onTransfer(Transfer& t, const Received& r) {
  const auto remove = [&] { transfers_.remove_if([&t](const Transfer& x) { return &x == &t; }); };
  if (r.kind == Received::Kind::Unreachable) {
    if (r.from != t.peer) return;
    const bool lastInFlight = !t.writing && t.block > 0 && size_t{t.block} * t.blockSize > t.length;
    if (lastInFlight) {
      line("read " + t.name + ": " + std::to_string(t.length) + " bytes sent, the last acknowledgement was lost");
    } else if (!t.complete) {
      line((t.writing ? "write " : "read ") + t.name + ": the updater went away");
    }
    return remove();
  }
  if (r.from != t.peer) {
    send(t.socket, r.from, tftp::error(tftp::kUnknownTransferId, "unknown transfer"));
    return;
  }
  const std::optional<tftp::Packet> p = tftp::parse(r.bytes);
  if (!p) return;
  t.lastHeard = Clock::now();
  if (p->opcode == tftp::Opcode::Error) {
    if (!t.writing && t.complete) return remove();
    line((t.writing ? "write " : "read ") + t.name + " ended by the updater: " + p->errorMessage);
    return remove();
  }
  if (t.writing) {
    if (p->opcode != tftp::Opcode::Data || t.complete) {
      if (t.complete && p->opcode == tftp::Opcode::Data && p->block == t.block) send(t.socket, t.peer, t.lastSent);
      return;
    }
    if (p->block == t.block) {  // our acknowledgement was lost
      send(t.socket, t.peer, t.lastSent);
      ++t.repeats;
      return;
    }
    if (p->block != static_cast<uint16_t>(t.block + 1)) return;
    if (p->data.size() > t.blockSize || !fits(uint64_t{t.address} + t.length, p->data.size())) {
      line("write " + t.name + " refused: the data runs past the end of the memory");
      send(t.socket, t.peer, tftp::error(tftp::kDiskFull, "the data runs past the end of the memory"));
      return remove();
    }
    memory_.replace(t.address + t.length, p->data.size(), p->data);
    t.length += p->data.size();
    t.block = p->block;
    t.lastSent = tftp::ack(t.block);
    send(t.socket, t.peer, t.lastSent);
    if (p->data.size() < t.blockSize) finishWrite(t);
    return;
  }
  // Reading: only the acknowledgement of the block in flight moves on; a repeated older one is ignored,
  // since answering it would double every later packet.
  if (p->opcode != tftp::Opcode::Ack || p->block != t.block) return;
  if (!t.repeated) t.timer.sample(std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - t.sentAt));
  const bool lastBlock = t.block > 0 && (size_t{t.block} - 1) * t.blockSize + t.blockSize > t.length;
  if (lastBlock) {
    line("read " + t.name + ": " + std::to_string(t.length) + " bytes sent in " +
         secondsText(Clock::now() - t.started) + ", " + std::to_string(t.repeats) + " repeats");
    return remove();
  }
  ++t.block;
  sendData(t, false);
}

void Simulator::finishWrite(Transfer& t) {
  t.complete = true;
  written_[t.address] = t.length;
  line("write " + t.name + ": " + std::to_string(t.length) + " bytes in " + std::to_string(t.block) + " blocks, " +
       secondsText(Clock::now() - t.started) + ", " + std::to_string(t.repeats) + " repeats");
  const std::string_view bytes = std::string_view(memory_).substr(t.address, t.length);
  if (t.address == kConfigurationAddress) line(configurationSummary(bytes));
  if (t.address == kFirmwareAddress) {
    const std::optional<simfw::Identity> id = simfw::identify(bytes);
    line(id ? "firmware: simulated QD40213 firmware " + id->version + (id->intact ? ", intact" : ", DAMAGED")
            : "firmware: not a simulated firmware (" + std::to_string(bytes.size()) + " bytes)");
  }
  if (!options_.saveFolder.empty()) {
    const std::filesystem::path file = options_.saveFolder / utf8Path(t.name + ".bin");
    try {
      writeFileAtomically(file, bytes);
      line("saved " + utf8String(file));
    } catch (const FileError& e) {
      line(std::string("not saved: ") + e.what());
    }
  }
}

void Simulator::tick() {
  const auto now = Clock::now();
  for (auto it = transfers_.begin(); it != transfers_.end();) {
    Transfer& t = *it;
    bool drop = false;
    if (t.writing) {
      if (t.complete && now - t.lastHeard > kLinger) drop = true;
      if (!t.complete && now - t.lastHeard > kWriteIdleLimit) {
        line("write " + t.name + " abandoned after " + std::to_string(t.length) + " bytes: the updater went quiet");
        drop = true;
      }
    } else if (now - t.sentAt > t.timer.timeout()) {
      if (++t.timeouts > kRetransmits) {
        line("read " + t.name + " abandoned: no acknowledgement of block " + std::to_string(t.block));
        drop = true;
      } else {
        t.timer.backOff();
        sendData(t, true);
      }
    }
    it = drop ? transfers_.erase(it) : std::next(it);
  }
}

std::string Simulator::command(const std::string& text, bool applicationPort) {
  const devcmd::Command c = *devcmd::parseCommand(text);
  devcmd::Reply reply{c.sequence, true, {}};
  const auto refuse = [&](const std::string& why) {
    reply.ok = false;
    reply.reason = why;
  };
  const auto number = [&](size_t i) -> std::optional<uint32_t> {
    if (i >= c.args.size()) return std::nullopt;
    const std::optional<int32_t> v = parseIntText(c.args[i]);
    return v ? std::optional(static_cast<uint32_t>(*v)) : std::nullopt;
  };
  std::string what = devcmd::name(c.code);
  if (applicationPort && c.code != devcmd::kGoToBoot) {
    refuse("the application port takes only GOTOBOOT");
  } else if (c.code == devcmd::kGoToBoot) {
    application_ = false;
    what += ": the boot loader runs";
  } else if (c.code == devcmd::kGoToApp) {
    // The boot loader checks the firmware against its check record, when there is one, before starting it.
    const std::string_view record = std::string_view(memory_).substr(kCheckRecordAddress, 12);
    if (record == std::string(12, '\xFF')) {
      application_ = true;
      what += ": the application runs (no firmware check record)";
    } else {
      const uint32_t start = simfw::le32(record, 0), length = simfw::le32(record, 4), crc = simfw::le32(record, 8);
      if (!fits(start, length) || devcmd::crc32(std::string_view(memory_).substr(start, length)) != crc) {
        refuse("the firmware does not match its check record");
      } else {
        application_ = true;
        what += ": the application runs (firmware of " + std::to_string(length) + " bytes at " +
                devcmd::hexAddress(start) + " checked)";
      }
    }
  } else if (c.code == devcmd::kErase) {
    const auto address = number(0), length = number(1);
    if (!address || !length || !fits(*address, *length)) {
      refuse("ERASE needs an address and a length inside the memory");
    } else {
      memory_.replace(*address, *length, *length, '\xFF');
      what += " " + std::to_string(*length) + " bytes at " + devcmd::hexAddress(*address);
    }
  } else if (c.code == devcmd::kUnlock) {
    const auto address = number(0), code = number(1);
    if (!address || !code) {
      refuse("UNLOCK needs an address and a code");
    } else {
      what += " " + devcmd::hexAddress(*address) + " with code " + devcmd::hexAddress(*code);
    }
  } else if (c.code == devcmd::kWrite) {
    const auto address = number(0);
    const std::optional<std::string> bytes = c.args.size() == 2 ? devcmd::bytesFromHex(c.args[1]) : std::nullopt;
    if (!address || !bytes || !fits(*address, bytes->size())) {
      refuse("WRITE needs an address and hexadecimal bytes inside the memory");
    } else {
      memory_.replace(*address, bytes->size(), *bytes);
      what += " " + std::to_string(bytes->size()) + " bytes at " + devcmd::hexAddress(*address);
    }
  } else {
    refuse("unknown command " + devcmd::hexAddress(c.code));
  }
  line("command " + what + (reply.ok ? "" : " refused: " + reply.reason));
  return devcmd::format(reply);
}

}  // namespace konfex
