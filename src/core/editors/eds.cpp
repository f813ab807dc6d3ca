#include "core/editors/eds.h"

#include <cstring>
#include <fstream>
#include <system_error>

#include "core/editors/number_text.h"
#include "core/io/text.h"

namespace konfex {

namespace {

constexpr std::string_view kSectionName = "[Connection Manager]";
constexpr std::string_view kEntryWord = "Connection";
constexpr size_t kReadBlock = 64 * 1024;

// The value up to its first comma, trimmed; empty when there is no comma.
std::string_view upToComma(std::string_view text) {
  const size_t comma = text.find(',');
  return comma == std::string_view::npos ? std::string_view() : trim(text.substr(0, comma));
}

// The value after its first comma, trimmed; unchanged when there is no comma.
std::string_view dropField(std::string_view text) {
  const size_t comma = text.find(',');
  return comma == std::string_view::npos ? text : trim(text.substr(comma + 1));
}

// First index from `from` to the end whose byte is one of the two codes; the size when there is none.
size_t findByte(const std::vector<uint8_t>& b, size_t from, uint8_t code, uint8_t other) {
  for (size_t i = from; i < b.size(); ++i)
    if (b[i] == code || b[i] == other) return i;
  return b.size();
}

// Fills instances and connection points from the path bytes; false when the path is not usable. The
// searches look at single bytes, not at segments: a value byte that equals a segment code counts as one.
bool readPath(const std::vector<uint8_t>& b, ConnData& c) {
  const size_t k = b.size();
  if (k < 8 || b[0] != 0x20 || b[2] != 0x24) return false;
  c.instanceOT = b[3];
  c.instanceTO = b[3];
  const size_t i = findByte(b, 4, 0x2C, 0x2C);
  if (i + 1 >= k) return false;
  c.connPointOT = b[i + 1];
  const size_t j = findByte(b, i + 2, 0x24, 0x2C);
  if (j + 1 >= k) return false;
  if (b[j] == 0x24) {
    c.instanceTO = b[j + 1];
    const size_t m = findByte(b, j + 2, 0x2C, 0x2C);
    if (m + 1 >= k) return false;
    c.connPointTO = b[m + 1];
  } else {
    c.connPointTO = b[j + 1];
  }
  return true;
}

std::string withoutQuotes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char ch : text)
    if (ch != '"') out.push_back(ch);
  return out;
}

// The path bytes: tokens between blanks, each read as the integer text "0x" + token; values outside 0 to
// 255 and unreadable tokens are skipped.
std::vector<uint8_t> pathBytes(std::string_view path) {
  std::vector<uint8_t> bytes;
  std::string number;
  size_t pos = 0;
  while (pos < path.size() && bytes.size() < kEdsMaxPathBytes) {
    const size_t end = std::min(path.find(' ', pos), path.size());
    if (end > pos) {
      number.assign("0x");
      number.append(path.substr(pos, end - pos));
      const int32_t v = intTextOr(number, -1);
      if (v >= 0 && v <= 255) bytes.push_back(static_cast<uint8_t>(v));
    }
    pos = end + 1;
  }
  return bytes;
}

size_t textBytes(const ConnData& c) {
  size_t n = sizeof(ConnData) + c.connName.size() + c.helpStr.size() + c.raw.keyword.size() +
             c.raw.triggerTransport.size() + c.raw.connectionParameters.size() + c.raw.path.size() +
             c.raw.pathBytes.size();
  for (const std::string& f : c.raw.rateSizeFormat) n += f.size();
  return n;
}

// Decodes one entry's value into c; false when it is no usable connection.
bool decodeEntry(std::string_view s, std::string_view keyword, ConnData& c) {
  c.raw.keyword = std::string(keyword);
  c.raw.triggerTransport = std::string(upToComma(s));
  std::string_view rest = dropField(s);
  const std::string_view parameters = upToComma(rest);
  c.raw.connectionParameters = std::string(parameters);
  const auto v = static_cast<uint32_t>(intTextOr(parameters, -1));
  c.dimHeaderOT = static_cast<uint8_t>((v >> 8) & 7u);
  c.dimHeaderTO = static_cast<uint8_t>((v >> 12) & 7u);
  rest = dropField(rest);  // field 2
  for (std::string& field : c.raw.rateSizeFormat) {
    field = std::string(upToComma(rest));
    rest = dropField(rest);
  }
  c.connName = std::string(upToComma(rest));
  rest = dropField(rest);
  c.helpStr = std::string(upToComma(rest));
  rest = dropField(rest);

  std::string_view path;
  if (const size_t semicolon = rest.find(';'); semicolon != std::string_view::npos) {
    const size_t comma = rest.find(',');
    path = rest.substr(0, comma < semicolon ? comma : semicolon);
  }
  c.raw.path = std::string(trim(withoutQuotes(trim(path))));
  c.raw.pathBytes = pathBytes(c.raw.path);
  return readPath(c.raw.pathBytes, c);
}

// Collects the lines of the "[Connection Manager]" section into entries and decodes each one.
class EntryCollector {
 public:
  void line(std::string_view text) {
    text = trim(text);
    if (const size_t comment = text.find('$'); comment != std::string_view::npos) text = trim(text.substr(0, comment));
    if (text.empty()) return;
    if (!inSection_) {
      inSection_ = text.find(kSectionName) != std::string_view::npos;
      return;
    }
    if (text.front() == '[') {
      inSection_ = false;
      flush();
      keyword_.clear();
      return;
    }
    if (text.find(kEntryWord) != std::string_view::npos) {
      flush();
      const size_t equals = text.find('=');
      keyword_ = equals == std::string_view::npos ? std::string() : std::string(trim(text.substr(0, equals)));
      append(equals == std::string_view::npos ? text : trim(text.substr(equals + 1)));
      return;
    }
    append(text);
  }

  void finish() { flush(); }
  bool full() const { return full_; }
  std::vector<ConnData>& list() { return list_; }

 private:
  void append(std::string_view text) {
    entry_.append(text.substr(0, kEdsMaxEntryBytes - std::min(entry_.size(), kEdsMaxEntryBytes)));
  }

  void flush() {
    if (entry_.empty() || full_) {
      entry_.clear();
      return;
    }
    ConnData c;
    if (decodeEntry(entry_, keyword_, c)) {
      const size_t bytes = textBytes(c);
      if (listBytes_ + bytes > kEdsMaxListBytes) {
        full_ = true;
      } else {
        c.connIndex = static_cast<int32_t>(list_.size() + 1);
        listBytes_ += bytes;
        list_.push_back(std::move(c));
      }
    }
    entry_.clear();
  }

  std::vector<ConnData> list_;
  std::string entry_;
  std::string keyword_;
  bool inSection_ = false;
  bool full_ = false;
  size_t listBytes_ = 0;
};

// Validity of a byte stream as UTF-8, fed in pieces; the same rule as isValidUtf8.
class Utf8Check {
 public:
  void feed(std::string_view bytes) {
    if (!valid_) return;
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (need_ == 0) {
        // Most of an EDS file is ASCII: pass eight such bytes at a time.
        uint64_t word = 0;
        while (i + sizeof word <= bytes.size() &&
               (std::memcpy(&word, bytes.data() + i, sizeof word), (word & 0x8080808080808080ull) == 0))
          i += sizeof word;
        if (i == bytes.size()) break;
      }
      const auto b = static_cast<unsigned char>(bytes[i]);
      if (need_ == 0) {
        if (b < 0x80) continue;
        if (b >= 0xC2 && b <= 0xDF) {
          start(1, 0x80, 0xBF);
        } else if (b == 0xE0) {
          start(2, 0xA0, 0xBF);  // no overlong forms
        } else if (b == 0xED) {
          start(2, 0x80, 0x9F);  // no surrogates
        } else if (b >= 0xE1 && b <= 0xEF) {
          start(2, 0x80, 0xBF);
        } else if (b == 0xF0) {
          start(3, 0x90, 0xBF);
        } else if (b >= 0xF1 && b <= 0xF3) {
          start(3, 0x80, 0xBF);
        } else if (b == 0xF4) {
          start(3, 0x80, 0x8F);  // nothing past U+10FFFF
        } else {
          valid_ = false;
          return;
        }
      } else {
        if (b < low_ || b > high_) {
          valid_ = false;
          return;
        }
        low_ = 0x80;
        high_ = 0xBF;
        --need_;
      }
    }
  }
  bool valid() const { return valid_ && need_ == 0; }

 private:
  void start(int need, unsigned char low, unsigned char high) {
    need_ = need;
    low_ = low;
    high_ = high;
  }
  bool valid_ = true;
  int need_ = 0;
  unsigned char low_ = 0x80;
  unsigned char high_ = 0xBF;
};

// The file's bytes, fed block by block: the encoding is chosen from the first bytes, the text is split
// into lines (CR LF, LF or CR) that go to the collector. Without a byte-order mark the lines stay raw
// bytes: every character the decoding looks at is ASCII, which UTF-8 and Windows-1252 leave as they are,
// so only the kept texts need converting once the whole file has shown which of the two it is.
class EdsStream {
 public:
  enum class Input { FileBytes, Utf8Text };
  explicit EdsStream(Input input) : mode_(input == Input::FileBytes ? Mode::Detect : Mode::Utf8) {}

  void feed(std::string_view bytes) {
    if (mode_ == Mode::Detect) {
      const size_t take = std::min(bytes.size(), size_t{3} - head_.size());
      head_.append(bytes.substr(0, take));
      bytes.remove_prefix(take);
      if (head_.size() < 3) return;
      chooseMode();
    }
    feedDecoded(bytes);
  }

  bool full() const { return collector_.full(); }

  std::vector<ConnData> finish() {
    if (mode_ == Mode::Detect) chooseMode();
    if (mode_ == Mode::Utf16Le || mode_ == Mode::Utf16Be) {
      // A lone high surrogate becomes U+FFFD, an odd last byte is dropped.
      text(decodeUtf16(carry_, mode_ == Mode::Utf16Be));
      carry_.clear();
    }
    if (!line_.empty()) lineDone(line_);
    collector_.finish();
    const bool windows1252 = mode_ == Mode::EightBit && !utf8_.valid();
    std::vector<ConnData>& list = collector_.list();
    for (ConnData& c : list) {
      for (std::string* s :
           {&c.connName, &c.helpStr, &c.raw.keyword, &c.raw.triggerTransport, &c.raw.connectionParameters, &c.raw.path})
        convert(*s, windows1252);
      for (std::string& s : c.raw.rateSizeFormat) convert(s, windows1252);
    }
    return std::move(list);
  }

 private:
  enum class Mode { Detect, Utf8, Utf8Bom, Utf16Le, Utf16Be, EightBit };

  static void convert(std::string& s, bool windows1252) {
    if (windows1252) {
      s = decodeWindows1252(s);
    } else if (!isValidUtf8(s)) {
      s = repairUtf8(s);  // a cut line or entry may end inside a character
    }
  }

  void chooseMode() {
    const std::string_view head = head_;
    std::string_view rest = head;
    if (head.starts_with("\xEF\xBB\xBF")) {
      mode_ = Mode::Utf8Bom;
      rest.remove_prefix(3);
    } else if (head.starts_with("\xFF\xFE")) {
      mode_ = Mode::Utf16Le;
      rest.remove_prefix(2);
    } else if (head.starts_with("\xFE\xFF")) {
      mode_ = Mode::Utf16Be;
      rest.remove_prefix(2);
    } else {
      mode_ = Mode::EightBit;
    }
    const std::string left(rest);
    head_.clear();
    feedDecoded(left);
  }

  void feedDecoded(std::string_view bytes) {
    switch (mode_) {
      case Mode::Utf16Le:
      case Mode::Utf16Be: {
        carry_.append(bytes);
        size_t units = carry_.size() / 2;
        // Keep a high surrogate back until its partner arrives.
        if (units > 0) {
          const size_t at = 2 * (units - 1);
          const auto hi = static_cast<unsigned char>(carry_[mode_ == Mode::Utf16Be ? at : at + 1]);
          if (hi >= 0xD8 && hi <= 0xDB) --units;
        }
        text(decodeUtf16(std::string_view(carry_).substr(0, 2 * units), mode_ == Mode::Utf16Be));
        carry_.erase(0, 2 * units);
        break;
      }
      case Mode::EightBit:
        utf8_.feed(bytes);
        text(bytes);
        break;
      default: text(bytes);
    }
  }

  // Splits decoded text into lines; a line keeps at most kEdsMaxLineBytes.
  void text(std::string_view t) {
    size_t pos = 0;
    if (pendingCr_ && !t.empty()) {
      pendingCr_ = false;
      if (t.front() == '\n') pos = 1;
    }
    LineEndFinder lineEnds(t);
    while (pos < t.size() && !collector_.full()) {
      size_t end = lineEnds.next(pos);
      const std::string_view piece = t.substr(pos, end - pos);
      if (end == t.size()) {
        keep(piece);
        return;
      }
      if (line_.empty()) {
        lineDone(piece.substr(0, kEdsMaxLineBytes));
      } else {
        keep(piece);
        lineDone(line_);
        line_.clear();
      }
      if (t[end] == '\r') {
        if (end + 1 == t.size())
          pendingCr_ = true;
        else if (t[end + 1] == '\n')
          ++end;
      }
      pos = end + 1;
    }
  }

  void keep(std::string_view piece) {
    line_.append(piece.substr(0, kEdsMaxLineBytes - std::min(line_.size(), kEdsMaxLineBytes)));
  }

  void lineDone(std::string_view line) {
    if (mode_ == Mode::Utf8Bom && !isValidUtf8(line)) {
      // Stray bytes are replaced line by line, as a decode of the whole file would.
      collector_.line(repairUtf8(line));
    } else {
      collector_.line(line);
    }
  }

  Mode mode_;
  std::string head_;
  std::string carry_;
  std::string line_;
  bool pendingCr_ = false;
  Utf8Check utf8_;
  EntryCollector collector_;
};

}  // namespace

std::vector<ConnData> decodeEds(std::string_view decodedText) {
  EdsStream stream(EdsStream::Input::Utf8Text);
  stream.feed(decodedText);
  return stream.finish();
}

std::vector<ConnData> decodeEdsFileBytes(std::string_view bytes) {
  EdsStream stream(EdsStream::Input::FileBytes);
  stream.feed(bytes);
  return stream.finish();
}

std::vector<ConnData> detail::decodeEdsFileBytesInBlocks(std::string_view bytes, size_t blockSize) {
  EdsStream stream(EdsStream::Input::FileBytes);
  for (size_t at = 0; at < bytes.size() && !stream.full(); at += blockSize) stream.feed(bytes.substr(at, blockSize));
  return stream.finish();
}

std::vector<ConnData> readEdsFile(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return {};
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  EdsStream stream(EdsStream::Input::FileBytes);
  std::string block(kReadBlock, '\0');
  while (!stream.full()) {
    in.read(block.data(), static_cast<std::streamsize>(block.size()));
    const auto got = static_cast<size_t>(in.gcount());
    if (got > 0) stream.feed(std::string_view(block).substr(0, got));
    if (!in) break;
  }
  if (in.bad()) return {};  // a read error: as if the file had no connections
  return stream.finish();
}

std::array<std::string, kEdsGridColumns> edsGridTexts(const ConnData& c) {
  return {"Connection" + std::to_string(c.connIndex),
          c.connName,
          c.helpStr,
          std::to_string(c.instanceOT),
          std::to_string(c.connPointOT),
          std::to_string(c.instanceTO),
          std::to_string(c.connPointTO),
          c.dimHeaderOT == 4 ? std::string("Default") : std::to_string(c.dimHeaderOT),
          c.dimHeaderTO == 0 ? std::string("Default") : std::to_string(c.dimHeaderTO)};
}

int edsImportTargetRow(std::span<const EdsImportRow> rows) {
  for (size_t r = 0; r < rows.size(); ++r)
    if (trim(rows[r].ipAddress).empty() && trim(rows[r].instanceTO).empty()) return static_cast<int>(r + 1);
  return 0;
}

}  // namespace konfex
