#include "core/lang/text_table.h"

#include <cstdio>
#include <optional>
#include <system_error>

#include "core/io/files.h"
#include "core/io/text.h"
#include "core/lang/default_texts.h"
#include "core/lang/messages.h"

namespace konfex {

namespace fs = std::filesystem;

namespace {

const std::string kBlank = " ";
constexpr std::string_view kPilcrow = "\xC2\xB6";  // U+00B6 in UTF-8
constexpr std::string_view kComment = "/#/";

// Reads the index of an entry line: plain decimal digits with an optional sign.
bool parseIndex(std::string_view text, int& index) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  long long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > kTextCount) value = kTextCount;  // saturate: out of range either way
  }
  if (negative) value = -value;
  if (value < 0 || value >= kTextCount) return false;
  index = static_cast<int>(value);
  return true;
}

// Start of the UTF-8 character that ends just before `end`.
size_t previousCharStart(std::string_view s, size_t end) {
  size_t i = end - 1;
  while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0u) == 0x80u) --i;
  return i;
}

constexpr std::string_view kMessagePrefix = "MSG.";

// The text of an entry line after its '=': trimmed, comment cut, pilcrow form; nullopt leaves the entry.
std::optional<std::string_view> entryText(std::string_view value) {
  value = trim(value);
  if (value.empty()) return std::nullopt;
  if (const size_t c = value.find(kComment); c != std::string_view::npos) {
    value = trim(value.substr(0, c));
    if (value.empty()) return std::nullopt;
  }
  if (value.starts_with(kPilcrow)) value.remove_prefix(kPilcrow.size());
  if (const size_t p = value.find(kPilcrow); p != std::string_view::npos) value = value.substr(0, p);
  return value;
}

// "MSG.<Key> = text": a message of our own; the STR loader never sees these lines.
void applyMessageLine(std::map<std::string, std::string, std::less<>>& messages, std::string_view line) {
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return;
  const std::string_view key = trim(line.substr(kMessagePrefix.size(), equals - kMessagePrefix.size()));
  const auto it = messages.find(key);
  if (it == messages.end()) return;  // unknown keys are ignored like stray lines
  const auto value = entryText(line.substr(equals + 1));
  if (!value) return;
  // "\n" in a file stands for a line break, so a message keeps its lines on one file line.
  std::string text;
  for (size_t i = 0; i < value->size(); ++i) {
    if ((*value)[i] == '\\' && i + 1 < value->size() && (*value)[i + 1] == 'n') {
      text += '\n';
      ++i;
    } else {
      text += (*value)[i];
    }
  }
  it->second = std::move(text);
}

void applyLine(std::vector<std::string>& texts, std::map<std::string, std::string, std::less<>>& messages,
               std::string_view line) {
  line = trim(line);
  if (line.starts_with(kMessagePrefix)) return applyMessageLine(messages, line);
  if (!line.starts_with("STR")) return;
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos || equals < 4) return;  // no room for a skipped character
  // Exactly one character directly before '=' is skipped and never part of the index.
  const size_t skipped = previousCharStart(line, equals);
  if (skipped <= 3) return;
  int index = 0;
  if (!parseIndex(trim(line.substr(3, skipped - 3)), index)) return;

  if (const auto value = entryText(line.substr(equals + 1))) texts[static_cast<size_t>(index)].assign(*value);
}

bool needsPilcrows(const std::string& text) {
  return text.empty() || trim(text).size() != text.size();
}

bool isPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\\') == std::string::npos && name.find('\0') == std::string::npos;
}

}  // namespace

TextTable::TextTable() {
  buildDefaults();
}

const std::string& TextTable::operator[](int index) const {
  if (index < 0 || index >= kTextCount) return kBlank;
  return texts_[static_cast<size_t>(index)];
}

void TextTable::set(int index, std::string text) {
  if (index >= 0 && index < kTextCount) texts_[static_cast<size_t>(index)] = std::move(text);
}

void TextTable::buildDefaults() {
  // Assigning into the strings that are there keeps their memory: a language switch rebuilds the table.
  texts_.resize(kTextCount);
  for (std::string& text : texts_) text.assign(kBlank);
  for (const DefaultText& d : defaultTexts()) texts_[static_cast<size_t>(d.index)].assign(d.text);
  for (const MessageText& m : defaultMessages()) {
    if (const auto it = messages_.find(m.key); it != messages_.end())
      it->second.assign(m.text);
    else
      messages_.emplace(std::string(m.key), std::string(m.text));
  }
}

const std::string& TextTable::message(std::string_view key) const {
  static const std::string kUnknown = "?";
  const auto it = messages_.find(key);
  return it != messages_.end() ? it->second : kUnknown;
}

std::string TextTable::message(std::string_view key, std::initializer_list<std::string_view> values) const {
  const std::string& pattern = message(key);
  std::string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (pattern[i] == '%' && next >= '1' && next <= '9' && static_cast<size_t>(next - '1') < values.size()) {
      out += values.begin()[next - '1'];
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

void TextTable::setMessage(std::string_view key, std::string text) {
  if (const auto it = messages_.find(key); it != messages_.end()) it->second = std::move(text);
}

void TextTable::applyLanguageText(std::string_view decoded) {
  size_t start = 0;
  const size_t n = decoded.size();
  LineEndFinder lineEnds(decoded);
  while (start <= n) {
    const size_t end = lineEnds.next(start);
    applyLine(texts_, messages_, decoded.substr(start, end - start));
    if (end >= n) break;
    // CR LF, LF or CR each end one line.
    start = end + ((decoded[end] == '\r' && end + 1 < n && decoded[end + 1] == '\n') ? 2 : 1);
  }
}

bool TextTable::applyLanguageFile(const fs::path& file) {
  std::string bytes;
  try {
    bytes = readFile(file);
  } catch (const FileError&) {
    return false;
  }
  applyLanguageText(decodeTextFile(bytes));
  return true;
}

namespace {

void appendEntryLine(std::string& out, int index, const std::string& text) {
  // "STR0042 = ": four digits, as kTextCount has
  const char head[] = {'S',
                       'T',
                       'R',
                       static_cast<char>('0' + index / 1000),
                       static_cast<char>('0' + index / 100 % 10),
                       static_cast<char>('0' + index / 10 % 10),
                       static_cast<char>('0' + index % 10),
                       ' ',
                       '=',
                       ' '};
  out.append(head, sizeof head);
  if (needsPilcrows(text)) {
    out += kPilcrow;
    out += text;
    out += kPilcrow;
  } else {
    out += text;
  }
  out += '\n';
}

void appendMessageLine(std::string& out, std::string_view key, const std::string& text) {
  out += kMessagePrefix;
  out += key;
  out += " = ";
  std::string escaped;
  for (const char c : text) escaped += c == '\n' ? std::string("\\n") : std::string(1, c);
  if (needsPilcrows(escaped)) {
    out += kPilcrow;
    out += escaped;
    out += kPilcrow;
  } else {
    out += escaped;
  }
  out += '\n';
}

}  // namespace

std::string TextTable::toLanguageFile() const {
  const std::span<const DefaultText> defaults = defaultTexts();  // in index order
  auto nextDefault = defaults.begin();
  std::string out = "[Konfex language file]\n";
  out.reserve(64 * 1024);
  for (int i = 0; i < kTextCount; ++i) {
    const std::string& text = texts_[static_cast<size_t>(i)];
    while (nextDefault != defaults.end() && nextDefault->index < i) ++nextDefault;
    const bool blankByDefault = nextDefault == defaults.end() || nextDefault->index != i || nextDefault->text == kBlank;
    // A single blank is the unused-entry default; write it only where it replaces a real text.
    if (text == kBlank && blankByDefault) continue;
    appendEntryLine(out, i, text);
  }
  for (const auto& [key, text] : messages_) appendMessageLine(out, key, text);
  return out;
}

std::string TextTable::languageFileLine(int index) const {
  std::string out;
  appendEntryLine(out, index, (*this)[index]);
  return out;
}

std::string TextTable::messageFileLine(std::string_view key) const {
  std::string out;
  if (const auto it = messages_.find(key); it != messages_.end()) appendMessageLine(out, key, it->second);
  return out;
}

fs::path languageFilePath(const fs::path& languageFolder, const std::string& name) {
  return languageFolder / utf8Path(name + ".lng");
}

std::string loadLanguage(TextTable& table, const fs::path& languageFolder, const std::string& name) {
  table.buildDefaults();
  std::error_code ec;
  if (isPlainFileName(name)) {
    const fs::path file = languageFilePath(languageFolder, name);
    if (fs::is_regular_file(file, ec)) {
      table.applyLanguageFile(file);
      return name;
    }
  }
  const fs::path english = languageFilePath(languageFolder, "English");
  if (fs::is_regular_file(english, ec)) table.applyLanguageFile(english);
  return "English";
}

}  // namespace konfex
