#include "core/update/tftp.h"

#include <algorithm>
#include <cmath>

#include "core/io/text.h"

namespace konfex::tftp {

namespace {

void put16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v >> 8));
  out.push_back(static_cast<char>(v & 0xFF));
}

uint16_t get16(std::string_view s, size_t at) {
  return static_cast<uint16_t>((static_cast<unsigned char>(s[at]) << 8) | static_cast<unsigned char>(s[at + 1]));
}

// Splits the rest of a packet into zero-terminated strings; false when the last one lacks its zero.
bool strings(std::string_view rest, std::vector<std::string>& out) {
  while (!rest.empty()) {
    const size_t zero = rest.find('\0');
    if (zero == std::string_view::npos) return false;
    out.emplace_back(rest.substr(0, zero));
    rest.remove_prefix(zero + 1);
  }
  return true;
}

void putOptions(std::string& out, const Options& options) {
  for (const auto& [name, value] : options) {
    out.append(name).push_back('\0');
    out.append(value).push_back('\0');
  }
}

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

bool readOptions(const std::vector<std::string>& parts, size_t from, Options& options) {
  if ((parts.size() - from) % 2 != 0) return false;
  for (size_t i = from; i < parts.size(); i += 2) {
    options.emplace_back(lower(parts[i]), parts[i + 1]);
  }
  return true;
}

}  // namespace

std::optional<Packet> parse(std::string_view d) {
  if (d.size() < 2) return std::nullopt;
  const uint16_t code = get16(d, 0);
  if (code < 1 || code > 6) return std::nullopt;
  Packet p;
  p.opcode = static_cast<Opcode>(code);
  const std::string_view rest = d.substr(2);
  switch (p.opcode) {
    case Opcode::ReadRequest:
    case Opcode::WriteRequest: {
      std::vector<std::string> parts;
      if (!strings(rest, parts) || parts.size() < 2 || parts[0].empty()) return std::nullopt;
      p.fileName = parts[0];
      p.mode = lower(parts[1]);
      if (!readOptions(parts, 2, p.options)) return std::nullopt;
      return p;
    }
    case Opcode::Data:
      if (rest.size() < 2) return std::nullopt;
      p.block = get16(rest, 0);
      p.data = std::string(rest.substr(2));
      return p;
    case Opcode::Ack:
      if (rest.size() != 2) return std::nullopt;
      p.block = get16(rest, 0);
      return p;
    case Opcode::Error: {
      if (rest.size() < 3 || rest.back() != '\0') return std::nullopt;
      p.errorCode = get16(rest, 0);
      p.errorMessage = std::string(rest.substr(2, rest.size() - 3));
      // A message holding a zero of its own is cut there, as the receiver of a C string would.
      p.errorMessage = p.errorMessage.substr(0, p.errorMessage.find('\0'));
      return p;
    }
    case Opcode::OptionAck: {
      std::vector<std::string> parts;
      if (!strings(rest, parts) || !readOptions(parts, 0, p.options)) return std::nullopt;
      return p;
    }
  }
  return std::nullopt;
}

std::string request(Opcode opcode, std::string_view fileName, const Options& options) {
  std::string out;
  put16(out, static_cast<uint16_t>(opcode));
  out.append(fileName).push_back('\0');
  out.append("octet").push_back('\0');
  putOptions(out, options);
  return out;
}

std::string data(uint16_t block, std::string_view bytes) {
  std::string out;
  out.reserve(4 + bytes.size());
  put16(out, static_cast<uint16_t>(Opcode::Data));
  put16(out, block);
  out.append(bytes);
  return out;
}

std::string ack(uint16_t block) {
  std::string out;
  put16(out, static_cast<uint16_t>(Opcode::Ack));
  put16(out, block);
  return out;
}

std::string error(uint16_t code, std::string_view message) {
  std::string out;
  put16(out, static_cast<uint16_t>(Opcode::Error));
  put16(out, code);
  out.append(message.substr(0, message.find('\0'))).push_back('\0');
  return out;
}

std::string optionAck(const Options& options) {
  std::string out;
  put16(out, static_cast<uint16_t>(Opcode::OptionAck));
  putOptions(out, options);
  return out;
}

std::optional<std::string> option(const Options& options, std::string_view name) {
  for (const auto& [n, v] : options)
    if (equalsNoCase(n, name)) return v;
  return std::nullopt;
}

std::optional<size_t> blockSize(const Options& options) {
  const std::optional<std::string> v = option(options, "blksize");
  if (!v || v->empty() || v->size() > 5 || v->find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const size_t n = std::stoul(*v);
  if (n < kMinBlockSize || n > kMaxBlockSize) return std::nullopt;
  return n;
}

std::string describe(const Packet& p) {
  switch (p.opcode) {
    case Opcode::ReadRequest: return "RRQ " + p.fileName;
    case Opcode::WriteRequest: return "WRQ " + p.fileName;
    case Opcode::Data: return "DATA " + std::to_string(p.block) + " (" + std::to_string(p.data.size()) + " bytes)";
    case Opcode::Ack: return "ACK " + std::to_string(p.block);
    case Opcode::Error: return "ERROR " + std::to_string(p.errorCode) + " " + p.errorMessage;
    case Opcode::OptionAck: return "OACK";
  }
  return "?";
}

RetransmitTimer::RetransmitTimer(ms initial, ms minimum, ms maximum)
    : base_(initial), minimum_(minimum), maximum_(maximum) {}

RetransmitTimer::ms RetransmitTimer::timeout() const {
  // Doubling stops at four times the learnt value: the losses this meets are random, not congestion,
  // and a long wait after each of them would only slow the transfer.
  return std::clamp(base_ * (1 << std::min(backOffs_, 2)), minimum_, maximum_);
}

void RetransmitTimer::sample(std::chrono::microseconds roundTrip) {
  const auto r = static_cast<double>(roundTrip.count());
  if (!measured_) {
    smoothed_ = r;
    variation_ = r / 2;
    measured_ = true;
  } else {
    variation_ = 0.75 * variation_ + 0.25 * std::abs(smoothed_ - r);
    smoothed_ = 0.875 * smoothed_ + 0.125 * r;
  }
  base_ = std::clamp(ms(static_cast<long long>((smoothed_ + 4 * variation_) / 1000.0)), minimum_, maximum_);
  backOffs_ = 0;
}

void RetransmitTimer::backOff() {
  backOffs_ = std::min(backOffs_ + 1, 2);
}

}  // namespace konfex::tftp
