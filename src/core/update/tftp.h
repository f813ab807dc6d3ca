// TFTP packets (RFC 1350) with option negotiation (RFC 2347) and the block-size option (RFC 2348):
// building and checking them, shared by the updater's client and the simulator's server.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace konfex::tftp {

enum class Opcode : uint16_t { ReadRequest = 1, WriteRequest = 2, Data = 3, Ack = 4, Error = 5, OptionAck = 6 };

enum ErrorCode : uint16_t {
  kNotDefined = 0,
  kFileNotFound = 1,
  kAccessViolation = 2,
  kDiskFull = 3,
  kIllegalOperation = 4,
  kUnknownTransferId = 5,
  kFileExists = 6,
  kNoSuchUser = 7,
  kOptionRefused = 8,  // RFC 2347
};

inline constexpr size_t kDefaultBlockSize = 512;
inline constexpr size_t kMinBlockSize = 8;
inline constexpr size_t kMaxBlockSize = 65464;
// 1500-byte Ethernet frames less the IP, UDP and TFTP headers: no fragments on a plain network.
inline constexpr size_t kPreferredBlockSize = 1468;

using Options = std::vector<std::pair<std::string, std::string>>;

struct Packet {
  Opcode opcode = Opcode::Error;
  std::string fileName;  // requests
  std::string mode;      // requests, in lower case
  Options options;       // requests and option acknowledgements; names in lower case
  uint16_t block = 0;    // data and acknowledgements
  std::string data;      // data
  uint16_t errorCode = 0;
  std::string errorMessage;
};

// nullopt for anything that is no well-formed packet.
std::optional<Packet> parse(std::string_view datagram);

std::string request(Opcode opcode, std::string_view fileName, const Options& options);
std::string data(uint16_t block, std::string_view bytes);
std::string ack(uint16_t block);
std::string error(uint16_t code, std::string_view message);
std::string optionAck(const Options& options);

// The value of an option, names compared without regard to case.
std::optional<std::string> option(const Options& options, std::string_view name);
// A block size option's value when it is a number in the allowed range.
std::optional<size_t> blockSize(const Options& options);

std::string describe(const Packet& packet);  // for logs: "DATA 3 (1468 bytes)"

// The retransmission time-out of one peer: learnt from measured round trips (smoothed as TCP does),
// doubled after a time-out up to four times the learnt value, always between the bounds.
class RetransmitTimer {
 public:
  using ms = std::chrono::milliseconds;
  explicit RetransmitTimer(ms initial = ms(500), ms minimum = ms(20), ms maximum = ms(500));
  ms timeout() const;
  // A round trip of a packet that was sent once (a repeated one cannot tell which copy was answered).
  void sample(std::chrono::microseconds roundTrip);
  void backOff();

 private:
  double smoothed_ = 0, variation_ = 0;  // microseconds
  bool measured_ = false;
  ms base_, minimum_, maximum_;
  int backOffs_ = 0;
};

}  // namespace konfex::tftp
