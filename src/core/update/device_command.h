// The device's few commands beside TFTP: one text datagram each way, "KX <seq> <code> [args]" and
// "KX <seq> OK" or "KX <seq> ERR <reason>". A TFTP datagram starts with a zero byte, so both share a port.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace konfex::devcmd {

inline constexpr uint8_t kGoToBoot = 0x01;  // to the application port: restart into the boot loader
inline constexpr uint8_t kGoToApp = 0x02;   // start the application
inline constexpr uint8_t kErase = 0x03;     // <address> <length>: set the range to 0xFF
inline constexpr uint8_t kUnlock = 0x04;    // <address> <code>: present a protection code
inline constexpr uint8_t kWrite = 0x0B;     // <address> <hex bytes>: store a few bytes

struct Command {
  uint32_t sequence = 0;
  uint8_t code = 0;
  std::vector<std::string> args;
};

struct Reply {
  uint32_t sequence = 0;
  bool ok = false;
  std::string reason;  // with ERR
};

std::string format(const Command& command);
std::optional<Command> parseCommand(std::string_view datagram);
std::string format(const Reply& reply);
std::optional<Reply> parseReply(std::string_view datagram);

std::string name(uint8_t code);  // "GOTOBOOT", ..., "0x7F" for codes of no meaning

std::string hexAddress(uint32_t address);  // "0x78100"
std::string hexBytes(std::string_view bytes);
std::optional<std::string> bytesFromHex(std::string_view hex);

uint32_t crc32(std::string_view bytes);  // IEEE 802.3, as zlib computes it
// The record the boot loader checks before it starts a firmware: start, length and CRC-32, little-endian.
std::string cssRecord(uint32_t start, std::string_view data);

}  // namespace konfex::devcmd
