#include "core/io/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace konfex {

namespace {

bool isTrimmed(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

char upperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Code points of Windows-1252 bytes 0x80 to 0x9F; the five unassigned bytes map to the C1 control with
// the same value, as the Windows conversion does.
constexpr std::array<char16_t, 32> kCp1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::string decodeUtf16(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size());
  const size_t units = bytes.size() / 2;
  auto unitAt = [&](size_t i) -> char32_t {
    const auto b0 = static_cast<unsigned char>(bytes[2 * i]);
    const auto b1 = static_cast<unsigned char>(bytes[2 * i + 1]);
    return bigEndian ? static_cast<char32_t>((b0 << 8) | b1) : static_cast<char32_t>((b1 << 8) | b0);
  };
  for (size_t i = 0; i < units; ++i) {
    char32_t u = unitAt(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
      const char32_t low = unitAt(i + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;  // lone surrogate
    appendUtf8(out, u);
  }
  return out;
}

std::string decodeWindows1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out.push_back(c);
    } else if (b < 0xA0) {
      appendUtf8(out, kCp1252High[b - 0x80]);
    } else {
      appendUtf8(out, b);
    }
  }
  return out;
}

LineEndFinder::LineEndFinder(std::string_view text) : text_(text), cr_(find('\r', 0)), lf_(find('\n', 0)) {}

size_t LineEndFinder::find(char c, size_t from) const {
  if (from >= text_.size()) return text_.size();
  const void* hit = std::memchr(text_.data() + from, c, text_.size() - from);
  return hit ? static_cast<size_t>(static_cast<const char*>(hit) - text_.data()) : text_.size();
}

size_t LineEndFinder::next(size_t from) {
  if (cr_ < from) cr_ = find('\r', from);
  if (lf_ < from) lf_ = find('\n', from);
  return std::min(cr_, lf_);
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && isTrimmed(text.front())) text.remove_prefix(1);
  while (!text.empty() && isTrimmed(text.back())) text.remove_suffix(1);
  return text;
}

std::string toUpperAscii(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), upperAscii);
  return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return upperAscii(x) == upperAscii(y); });
}

bool lessNoCase(std::string_view a, std::string_view b) {
  const std::string fa = toUpperAscii(a);
  const std::string fb = toUpperAscii(b);
  return fa != fb ? fa < fb : a < b;
}

namespace {

// Length of the well-formed UTF-8 sequence at i; 0 when the bytes there are not UTF-8 (overlong forms,
// surrogates and values past U+10FFFF included).
size_t utf8SequenceLength(std::string_view bytes, size_t i) {
  const auto b = static_cast<unsigned char>(bytes[i]);
  if (b < 0x80) return 1;
  size_t len = 0;
  char32_t cp = 0;
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
    cp = b & 0x1Fu;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3;
    cp = b & 0x0Fu;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    cp = b & 0x07u;
  } else {
    return 0;
  }
  if (i + len > bytes.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    const auto c = static_cast<unsigned char>(bytes[i + k]);
    if ((c & 0xC0u) != 0x80u) return 0;
    cp = (cp << 6) | (c & 0x3Fu);
  }
  if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return len;
}

}  // namespace

std::string repairUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    const size_t len = utf8SequenceLength(bytes, i);
    if (len == 0) {
      appendUtf8(out, 0xFFFD);
      ++i;
    } else {
      out.append(bytes.substr(i, len));
      i += len;
    }
  }
  return out;
}

bool isValidUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const size_t len = utf8SequenceLength(bytes, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::string decodeTextFile(std::string_view bytes) {
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return repairUtf8(bytes.substr(3));
  if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE") return decodeUtf16(bytes.substr(2), false);
  if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF") return decodeUtf16(bytes.substr(2), true);
  if (isValidUtf8(bytes)) return std::string(bytes);
  return decodeWindows1252(bytes);
}

std::filesystem::path utf8Path(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8String(const std::filesystem::path& path) {
  const std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace konfex
