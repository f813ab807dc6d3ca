#include "core/editors/number_text.h"

#include "core/io/text.h"

namespace konfex {

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<int32_t> parseIntText(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::string_view rest = text.substr(i);
  bool hex = false;
  if (rest.starts_with("0x") || rest.starts_with("0X")) {
    hex = true;
    rest.remove_prefix(2);
  } else if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X')) {
    hex = true;
    rest.remove_prefix(1);
  }
  if (rest.empty()) return std::nullopt;

  uint64_t value = 0;
  if (hex) {
    for (const char c : rest) {
      const int d = hexDigit(c);
      if (d < 0) return std::nullopt;
      value = value * 16 + static_cast<uint64_t>(d);
      if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    const auto bits = static_cast<uint32_t>(value);
    return static_cast<int32_t>(negative ? 0u - bits : bits);
  }
  for (const char c : rest) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > 0x80000000ull) return std::nullopt;
  }
  if (!negative && value > 0x7FFFFFFFull) return std::nullopt;
  return negative ? static_cast<int32_t>(-static_cast<int64_t>(value)) : static_cast<int32_t>(value);
}

IpTextParts splitIpText(std::string_view text) {
  IpTextParts result;
  std::string_view s = trim(text);
  for (int i = 0; i < 3; ++i) {
    const size_t point = s.find('.');
    if (point == std::string_view::npos) return result;
    result.parts[static_cast<size_t>(i)] = std::string(trim(s.substr(0, point)));
    s = trim(s.substr(point + 1));
  }
  result.parts[3] = std::string(s);
  result.valid = true;
  for (const std::string& part : result.parts) {
    const int32_t v = intTextOr(part, 1000);
    if (v < 0 || v > 255) result.valid = false;
  }
  return result;
}

IpBytes ipTextToBytes(std::string_view text) {
  IpBytes result;
  if (text.empty()) {
    result.hadError = true;
    return result;
  }
  std::string_view s = text;
  for (size_t i = 0; i < 4; ++i) {
    const size_t point = s.find('.');
    // Without a point the first three fields are empty (and so bad); the fourth takes what is left.
    const std::string_view field =
        i == 3 ? s : (point == std::string_view::npos ? std::string_view() : s.substr(0, point));
    const std::optional<int32_t> v = parseIntText(field);
    if (!v || *v < 0 || *v > 255) {
      result.bytes[i] = 0;
      result.hadError = true;
    } else {
      result.bytes[i] = static_cast<uint8_t>(*v);
    }
    if (point != std::string_view::npos) s = s.substr(point + 1);
  }
  return result;
}

}  // namespace konfex
