#include "core/lang/text_table.h"

#include <gtest/gtest.h>

#include "core/lang/default_texts.h"
#include "test_support.h"

namespace konfex {
namespace {

using test::TempDir;
using test::writeText;

TEST(TextTable, HoldsDefaultsAndBlanksElsewhere) {
  const TextTable t;
  EXPECT_EQ(t[0], "Begin");
  EXPECT_EQ(t[9], "None Configuration Opened ");
  EXPECT_EQ(t[306], " / ");
  EXPECT_EQ(t[1450], " or None");
  EXPECT_EQ(t[2315], "Error!! No Valid Connection found");
  EXPECT_EQ(t[7], " ");
  EXPECT_EQ(t[2399], " ");
  EXPECT_EQ(t[-1], " ");
  EXPECT_EQ(t[kTextCount], " ");
  int previous = -1;
  for (const DefaultText& d : defaultTexts()) {
    EXPECT_GT(d.index, previous) << "defaults must be in index order without repeats";
    EXPECT_LT(d.index, kTextCount);
    previous = d.index;
  }
}

TEST(TextTable, AppliesEntryLinesByTheLineRules) {
  struct Case {
    const char* line;
    int index;
    const char* expected;  // the entry's text after the line
  };
  const Case cases[] = {
      {"STR0010 = Hello", 10, "Hello"},
      {"    STR0010 = Hello", 10, "Hello"},
      {"STR10 =Hello", 10, "Hello"},
      {"STR10= Hello", 1, "Hello"},  // the character before '=' is skipped: index "1"
      {"STR5= Hello", 5, "Step 5"},  // empty index: ignored
      {"str0010 = Hello", 10, "Use Step1 to open or create new configuration"},
      {"STR2399 = x", 2399, "x"},
      {"STR2400 = x", 2399, " "},
      {"STR-1 = x", 0, "Begin"},
      {"STR0010 =", 10, "Use Step1 to open or create new configuration"},
      {"STR0010 = /#/ note", 10, "Use Step1 to open or create new configuration"},
      {"STR0011 = Opened /#/ note", 11, "Opened"},
      {"STR0306 = \xC2\xB6 / \xC2\xB6", 306, " / "},
      {"STR0306 = \xC2\xB6\xC2\xB6", 306, ""},
      {"STR0306 = a\xC2\xB6"
       "b",
       306, "a"},
      {"STR 0012 = Info", 12, "Info"},
      {"STRabc = x", 0, "Begin"},
      {"STR0012\xC3\xA9= Info", 12, "Info"},  // a multi-byte character before '=' is skipped whole
      {"STR0013 = \tTabbed\t", 13, "Tabbed"},
  };
  for (const Case& c : cases) {
    TextTable t;
    t.applyLanguageText(c.line);
    EXPECT_EQ(t[c.index], c.expected) << c.line;
  }
}

TEST(TextTable, LaterLinesWinAndEveryLineEndCounts) {
  TextTable t;
  t.applyLanguageText("[Header]\r\nSTR0001 = one\rSTR0002 = two\nSTR0003 = three\r\nSTR0001 = uno");
  EXPECT_EQ(t[1], "uno");
  EXPECT_EQ(t[2], "two");
  EXPECT_EQ(t[3], "three");
}

TEST(TextTable, DecodesEveryEncodingOfALanguageFile) {
  TempDir dir;
  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::string utf16le(
      "\xFF\xFE"
      "S\0T\0R\0"
      "1\0"
      "0\0"
      " \0"
      "=\0"
      " \0"
      "\xE9\0"
      "t\0"
      "\xE9\0",
      24);
  const std::string utf16be(
      "\xFE\xFF"
      "\0S\0T\0R\0"
      "1\0"
      "0\0"
      " \0"
      "=\0"
      " \0\xE9\0t\0\xE9",
      24);
  const Case cases[] = {
      {"utf8-bom", "\xEF\xBB\xBFSTR10 = \xC3\xA9t\xC3\xA9"},
      {"utf8", "STR10 = \xC3\xA9t\xC3\xA9"},
      {"cp1252", "STR10 = \xE9t\xE9"},
      {"utf16le", utf16le},
      {"utf16be", utf16be},
  };
  for (const Case& c : cases) {
    const auto file = dir / (std::string(c.name) + ".lng");
    writeText(file, c.bytes);
    TextTable t;
    ASSERT_TRUE(t.applyLanguageFile(file)) << c.name;
    EXPECT_EQ(t[10], "\xC3\xA9t\xC3\xA9") << c.name;
  }
  // Windows-1252: 0x80 is the euro sign and 0xB6 the pilcrow that delimits blanks.
  writeText(dir / "euro.lng", "STR0306 = \xB6 \x80 \xB6");
  TextTable t;
  t.applyLanguageFile(dir / "euro.lng");
  EXPECT_EQ(t[306], " \xE2\x82\xAC ");
  EXPECT_FALSE(t.applyLanguageFile(dir / "missing.lng"));

  // A byte-order mark that promises UTF-8 over stray bytes: each stray byte becomes U+FFFD.
  writeText(dir / "broken.lng",
            "\xEF\xBB\xBFSTR0010 = a\xCE\xCE"
            "b");
  t.applyLanguageFile(dir / "broken.lng");
  EXPECT_EQ(t[10],
            "a\xEF\xBF\xBD\xEF\xBF\xBD"
            "b");
}

TEST(TextTable, LanguageFileOutputLoadsBackIntoTheSameTable) {
  TextTable changed;
  changed.applyLanguageText(
      "STR0000 = Anfang\nSTR0009 = \xC2\xB6Keine \xC2\xB6\nSTR0306 = \xC2\xB6\xC2\xB6\nSTR0007 = Extra\n"
      "STR0012 = \xC2\xB6 \xC2\xB6\nSTR0013 = \xC2\xB6\tTab\xC2\xB6");
  for (const TextTable& original : {TextTable(), changed}) {
    const std::string file = original.toLanguageFile();
    TextTable reloaded;
    reloaded.set(100, "something else");  // the file must set every entry it relies on
    reloaded.buildDefaults();
    reloaded.applyLanguageText(file);
    EXPECT_EQ(reloaded, original);
  }
  const std::string defaults = TextTable().toLanguageFile();
  EXPECT_NE(defaults.find("STR0009 = \xC2\xB6None Configuration Opened \xC2\xB6\n"), std::string::npos);
  EXPECT_NE(defaults.find("STR0000 = Begin\n"), std::string::npos);
  EXPECT_EQ(defaults.find("STR0007 ="), std::string::npos) << "single blanks are left out";
}

TEST(LoadLanguage, FallsBackToEnglish) {
  TempDir dir;
  TextTable t;
  EXPECT_EQ(loadLanguage(t, dir.path(), "Deutsch"), "English");
  EXPECT_EQ(t, TextTable());

  writeText(dir / "English.lng", "STR0000 = Start");
  writeText(dir / "Deutsch.lng", "STR0001 = Schritt 1");
  EXPECT_EQ(loadLanguage(t, dir.path(), "Missing"), "English");
  EXPECT_EQ(t[0], "Start");

  // A switch rebuilds the defaults first: entries the new file does not set return to English.
  EXPECT_EQ(loadLanguage(t, dir.path(), "Deutsch"), "Deutsch");
  EXPECT_EQ(t[0], "Begin");
  EXPECT_EQ(t[1], "Schritt 1");

  // A name that would leave the folder is no language name.
  writeText(dir / "sub" / "x.lng", "STR0000 = outside");
  EXPECT_EQ(loadLanguage(t, dir.path() / "sub" / "inner", "../x"), "English");
  EXPECT_EQ(t[0], "Begin");
}

}  // namespace
}  // namespace konfex
