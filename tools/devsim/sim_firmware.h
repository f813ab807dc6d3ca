// The simulated firmware Sim40213.sim that the build puts into MASTER: a 32-byte header, then a body of
// pseudo-random bytes. It runs nowhere; it gives the firmware operations real bytes to move and lets the
// simulator tell a complete firmware from a damaged one.
//
//   offset  size  content
//   0       16    "QD40213-SIMFW", zero-padded
//   16      8     version "1.000", zero-padded
//   24      4     body length, little-endian
//   28      4     CRC-32 of the body, little-endian
//   32      n     body: xorshift32 stream seeded with 40213, low byte of each step
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/update/device_command.h"

namespace konfex::simfw {

inline constexpr std::string_view kMagic = "QD40213-SIMFW";
inline constexpr std::string_view kVersion = "1.000";
inline constexpr size_t kHeaderSize = 32;
inline constexpr size_t kBodySize = 32768 - kHeaderSize;

inline uint32_t le32(std::string_view s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(s[at + static_cast<size_t>(i)]);
  return v;
}

inline std::string build() {
  std::string body(kBodySize, '\0');
  uint32_t x = 40213;
  for (char& c : body) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>(x & 0xFF);
  }
  std::string out(kHeaderSize, '\0');
  out.replace(0, kMagic.size(), kMagic);
  out.replace(16, kVersion.size(), kVersion);
  const uint32_t fields[] = {static_cast<uint32_t>(body.size()), devcmd::crc32(body)};
  for (size_t f = 0; f < 2; ++f)
    for (size_t i = 0; i < 4; ++i) out[24 + 4 * f + i] = static_cast<char>((fields[f] >> (8 * i)) & 0xFF);
  return out + body;
}

struct Identity {
  std::string version;
  bool intact = false;  // the body has its length and CRC
};

// nullopt when the bytes do not start like a simulated firmware.
inline std::optional<Identity> identify(std::string_view bytes) {
  if (bytes.size() < kHeaderSize || bytes.substr(0, kMagic.size()) != kMagic) return std::nullopt;
  Identity id;
  const std::string_view v = bytes.substr(16, 8);
  id.version = std::string(v.substr(0, v.find('\0')));
  const uint32_t length = le32(bytes, 24);
  id.intact =
      bytes.size() - kHeaderSize >= length && devcmd::crc32(bytes.substr(kHeaderSize, length)) == le32(bytes, 28);
  return id;
}

}  // namespace konfex::simfw
