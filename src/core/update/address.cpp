#include "core/update/address.h"

namespace konfex {

std::optional<Ipv4> parseIpv4(std::string_view text) {
  Ipv4 out{};
  size_t pos = 0;
  for (size_t part = 0; part < 4; ++part) {
    if (part > 0) {
      if (pos >= text.size() || text[pos] != '.') return std::nullopt;
      ++pos;
    }
    const size_t begin = pos;
    unsigned value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - begin < 3) {
      value = value * 10 + static_cast<unsigned>(text[pos] - '0');
      ++pos;
    }
    const size_t digits = pos - begin;
    if (digits == 0 || value > 255 || (digits > 1 && text[begin] == '0')) return std::nullopt;
    out[part] = static_cast<uint8_t>(value);
  }
  if (pos != text.size()) return std::nullopt;
  return out;
}

std::string ipv4Text(const Ipv4& address) {
  return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." + std::to_string(address[2]) + "." +
         std::to_string(address[3]);
}

}  // namespace konfex
