// Small text helpers shared by every reader: the product's trimming rule, ASCII case folding,
// UTF-8 paths, and decoding of the text files users bring (language files, EDS files).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace konfex {

// Removes leading and trailing characters whose code is 32 or below (blanks and control characters).
std::string_view trim(std::string_view text);

std::string toUpperAscii(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);
// Orders without regard to ASCII letter case; ties fall back to the raw bytes so the order is total.
bool lessNoCase(std::string_view a, std::string_view b);

bool isValidUtf8(std::string_view bytes);

// Decodes a text file to UTF-8: a UTF-8, UTF-16 LE or UTF-16 BE byte-order mark selects that encoding;
// without one, bytes that are valid UTF-8 are taken as UTF-8, anything else as Windows-1252.
std::string decodeTextFile(std::string_view bytes);

// The pieces of decodeTextFile, for readers that decode a file block by block.
// UTF-16 without its byte-order mark; a lone surrogate becomes U+FFFD, an odd last byte is dropped.
std::string decodeUtf16(std::string_view bytes, bool bigEndian);
std::string decodeWindows1252(std::string_view bytes);
// Keeps well-formed UTF-8 and replaces each stray byte with U+FFFD, as the system decoders do.
std::string repairUtf8(std::string_view bytes);

// Finds the line ends (CR or LF) of a text from left to right with the C library's byte search, in one
// pass however the two kinds mix.
class LineEndFinder {
 public:
  explicit LineEndFinder(std::string_view text);
  // The first CR or LF at or after `from` (from never decreasing between calls); the size when none.
  size_t next(size_t from);

 private:
  size_t find(char c, size_t from) const;
  std::string_view text_;
  size_t cr_;
  size_t lf_;
};

std::filesystem::path utf8Path(std::string_view utf8);
std::string utf8String(const std::filesystem::path& path);

// Appends the code point as UTF-8.
void appendUtf8(std::string& out, char32_t codePoint);

}  // namespace konfex
