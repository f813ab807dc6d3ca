// The one dotted IPv4 rule of the device update: the reachability check, the job file check and the
// updater all read the device address with it, so an address that passes the check also reaches the updater.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace konfex {

using Ipv4 = std::array<uint8_t, 4>;

// Four decimal parts from 0 to 255 separated by points, nothing else: no blanks, signs, hexadecimal,
// leading zeros or names (a name would need a lookup on the network).
std::optional<Ipv4> parseIpv4(std::string_view text);
std::string ipv4Text(const Ipv4& address);

}  // namespace konfex
