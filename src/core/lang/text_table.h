// The 2400-entry text table: English defaults, overridden entry by entry by a language file.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace konfex {

inline constexpr int kTextCount = 2400;

class TextTable {
 public:
  TextTable();  // holds the English defaults

  // Out-of-range indexes give a single blank, like the unused entries.
  const std::string& operator[](int index) const;
  void set(int index, std::string text);

  // A message of our own (core/lang/messages.h) by key; an unknown key gives the key itself.
  const std::string& message(std::string_view key) const;
  // The message with "%1", "%2", ... replaced by the values in order.
  std::string message(std::string_view key, std::initializer_list<std::string_view> values) const;
  void setMessage(std::string_view key, std::string text);

  void buildDefaults();

  // Applies the lines of an already decoded language file; later lines win.
  void applyLanguageText(std::string_view decoded);
  // Reads, decodes and applies a language file; false (and the table unchanged) when it cannot be read.
  bool applyLanguageFile(const std::filesystem::path& file);

  // The table as a language file that loads back into exactly this table.
  std::string toLanguageFile() const;
  // The line of that file that sets one entry ("STR0042 = text\n", pilcrows where blanks need them), and
  // the line of one message of our own ("MSG.<Key> = text\n"; empty for an unknown key).
  std::string languageFileLine(int index) const;
  std::string messageFileLine(std::string_view key) const;

  bool operator==(const TextTable&) const = default;

 private:
  std::vector<std::string> texts_;
  std::map<std::string, std::string, std::less<>> messages_;
};

// Builds the defaults and applies LANGUAGE/<name>.lng, falling back to English.lng; returns the language
// name in effect ("English" when the named file is missing or the name is no plain file name).
std::string loadLanguage(TextTable& table, const std::filesystem::path& languageFolder, const std::string& name);

std::filesystem::path languageFilePath(const std::filesystem::path& languageFolder, const std::string& name);

}  // namespace konfex
