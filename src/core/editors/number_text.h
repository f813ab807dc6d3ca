// The one rule by which every editor and the image compiler read numbers and dotted IPv4 addresses.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace konfex {

// Integer text: leading blanks, an optional sign, then decimal digits or hexadecimal digits after
// "$", "x", "X", "0x" or "0X", and nothing after the digits. Decimal values must fit a signed 32-bit
// integer; hexadecimal values may use all 32 bits (0x80000000 and above read as negative numbers).
std::optional<int32_t> parseIntText(std::string_view text);

inline int32_t intTextOr(std::string_view text, int32_t fallback) {
  return parseIntText(text).value_or(fallback);
}

// The editors' address check: four point-separated parts, each trimmed and an integer text from 0 to 255.
// The parts are meaningful only when `valid` is true.
struct IpTextParts {
  bool valid = false;
  std::array<std::string, 4> parts;
};
IpTextParts splitIpText(std::string_view text);

// The compiler's address splitter: each field up to the next point (the fourth takes the rest) read as
// an integer text; a bad field gives 0. An empty text gives 0.0.0.0.
struct IpBytes {
  std::array<uint8_t, 4> bytes{};
  bool hadError = false;
};
IpBytes ipTextToBytes(std::string_view text);

}  // namespace konfex
