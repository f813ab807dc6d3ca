#include "core/update/device_command.h"

#include <array>
#include <sstream>

#include "core/editors/number_text.h"

namespace konfex::devcmd {

namespace {

constexpr std::string_view kMagic = "KX";

std::vector<std::string> words(std::string_view text) {
  std::vector<std::string> out;
  std::istringstream in{std::string(text)};
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

std::optional<uint32_t> sequenceOf(const std::string& word) {
  if (word.empty() || word.size() > 10 || word.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const unsigned long long v = std::stoull(word);
  if (v > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(v);
}

}  // namespace

std::string format(const Command& c) {
  std::string out = std::string(kMagic) + " " + std::to_string(c.sequence) + " " + hexAddress(c.code);
  for (const std::string& a : c.args) out += " " + a;
  return out;
}

std::optional<Command> parseCommand(std::string_view d) {
  const std::vector<std::string> w = words(d);
  if (w.size() < 3 || w[0] != kMagic) return std::nullopt;
  const std::optional<uint32_t> seq = sequenceOf(w[1]);
  const std::optional<int32_t> code = parseIntText(w[2]);
  if (!seq || !code || *code < 0 || *code > 255) return std::nullopt;
  return Command{*seq, static_cast<uint8_t>(*code), std::vector<std::string>(w.begin() + 3, w.end())};
}

std::string format(const Reply& r) {
  std::string out = std::string(kMagic) + " " + std::to_string(r.sequence) + (r.ok ? " OK" : " ERR");
  if (!r.ok && !r.reason.empty()) out += " " + r.reason;
  return out;
}

std::optional<Reply> parseReply(std::string_view d) {
  const std::vector<std::string> w = words(d);
  if (w.size() < 3 || w[0] != kMagic || (w[2] != "OK" && w[2] != "ERR")) return std::nullopt;
  const std::optional<uint32_t> seq = sequenceOf(w[1]);
  if (!seq) return std::nullopt;
  Reply r{*seq, w[2] == "OK", {}};
  for (size_t i = 3; i < w.size(); ++i) r.reason += (i > 3 ? " " : "") + w[i];
  return r;
}

std::string name(uint8_t code) {
  switch (code) {
    case kGoToBoot: return "GOTOBOOT";
    case kGoToApp: return "GOTOAPP";
    case kErase: return "ERASE";
    case kUnlock: return "UNLOCK";
    case kWrite: return "WRITE";
    default: return hexAddress(code);
  }
}

std::string hexAddress(uint32_t address) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[address & 0xF]);
    address >>= 4;
  } while (address != 0);
  if (digits.size() < 2) digits.insert(digits.begin(), '0');
  return "0x" + digits;
}

std::string hexBytes(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0xF]);
  }
  return out;
}

std::optional<std::string> bytesFromHex(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  const auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int hi = digit(hex[i]), lo = digit(hex[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out.push_back(static_cast<char>(hi * 16 + lo));
  }
  return out;
}

uint32_t crc32(std::string_view bytes) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (const char ch : bytes) crc = table[(crc ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::string cssRecord(uint32_t start, std::string_view data) {
  std::string out;
  for (const uint32_t v : {start, static_cast<uint32_t>(data.size()), crc32(data)})
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  return out;
}

}  // namespace konfex::devcmd
