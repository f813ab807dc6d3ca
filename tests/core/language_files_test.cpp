// The language files and flags the build puts into the program folder's LANGUAGE folder.
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "core/app/options.h"
#include "core/io/files.h"
#include "core/io/text.h"
#include "core/lang/default_texts.h"
#include "core/lang/messages.h"
#include "core/lang/text_table.h"

#ifndef KONFEX_LANGUAGE_DIR
#error "KONFEX_LANGUAGE_DIR must name the built LANGUAGE folder"
#endif

namespace konfex {
namespace {

namespace fs = std::filesystem;

const fs::path kShipped = utf8Path(KONFEX_LANGUAGE_DIR);
const std::vector<std::string> kLanguages = {"Deutsch", "English", "Espa\u00f1ol", "Fran\u00e7ais", "Italiano"};
constexpr std::string_view kUnset = "\x01unset";

bool startsBlank(const std::string& s) {
  return !s.empty() && static_cast<unsigned char>(s.front()) <= 32;
}
bool endsBlank(const std::string& s) {
  return !s.empty() && static_cast<unsigned char>(s.back()) <= 32;
}

TEST(ShippedLanguages, AllFiveAreListedWithTheirFlags) {
  std::vector<std::string> files;
  for (const std::string& l : kLanguages) files.push_back(l + ".lng");
  EXPECT_EQ(listLanguageFiles(kShipped), files);
  std::vector<std::string> flags = kLanguages;
  flags.push_back("DefaultFlag");
  for (const std::string& name : flags) {
    const fs::path flag = kShipped / utf8Path(name + ".bmp");
    ASSERT_TRUE(fs::exists(flag)) << name;
    const std::string bytes = readFile(flag);
    ASSERT_GE(bytes.size(), 54u) << name;
    const auto u32 = [&](size_t at) {
      uint32_t v = 0;
      for (size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
      return v;
    };
    EXPECT_EQ(bytes.substr(0, 2), "BM") << name;
    EXPECT_EQ(u32(18), 48u) << name << " width";
    EXPECT_EQ(u32(22), 48u) << name << " height";
    EXPECT_EQ(bytes[28], 24) << name << " bits per pixel";
    EXPECT_EQ(bytes.size(), 54u + 48 * 48 * 3) << name;
  }
}

TEST(ShippedLanguages, EnglishIsExactlyTheDefaults) {
  TextTable loaded;
  EXPECT_EQ(loadLanguage(loaded, kShipped, "English"), "English");
  EXPECT_EQ(loaded, TextTable());
}

// Every entry and message is set by the file itself, differs from a lone blank, and begins and ends
// with a blank exactly where the English text does, so that composed messages join as in English.
TEST(ShippedLanguages, TranslationsSetEveryEntryWithTheEnglishBlanks) {
  const TextTable english;
  for (const std::string& language : kLanguages) {
    if (language == "English") continue;
    TextTable table;
    for (const DefaultText& d : defaultTexts()) table.set(d.index, std::string(kUnset));
    for (const MessageText& m : defaultMessages()) table.setMessage(m.key, std::string(kUnset));
    ASSERT_TRUE(table.applyLanguageFile(languageFilePath(kShipped, language))) << language;

    for (const DefaultText& d : defaultTexts()) {
      const std::string& text = table[d.index];
      const std::string& en = english[d.index];
      const std::string where = language + " entry " + std::to_string(d.index);
      EXPECT_NE(text, kUnset) << where << " is not set";
      EXPECT_FALSE(trim(text).empty()) << where;
      EXPECT_EQ(startsBlank(text), startsBlank(en)) << where << ": \"" << text << "\"";
      EXPECT_EQ(endsBlank(text), endsBlank(en)) << where << ": \"" << text << "\"";
    }
    for (const MessageText& m : defaultMessages()) {
      const std::string& text = table.message(m.key);
      const std::string where = language + " message " + std::string(m.key);
      EXPECT_NE(text, kUnset) << where << " is not set";
      for (const char* placeholder : {"%1", "%2", "%3"})
        EXPECT_EQ(text.find(placeholder) != std::string::npos, m.text.find(placeholder) != std::string_view::npos)
            << where << " " << placeholder;
      EXPECT_EQ(text.find("\\n"), std::string::npos) << where << " keeps a literal \\n";
    }

    TextTable loaded;
    EXPECT_EQ(loadLanguage(loaded, kShipped, language), language);
    EXPECT_NE(loaded[0], english[0]) << language << " changes the texts";
  }
}

}  // namespace
}  // namespace konfex
