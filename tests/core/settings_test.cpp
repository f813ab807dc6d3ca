#include "core/app/settings.h"

#include <gtest/gtest.h>

#include "core/app/app_state.h"
#include "core/io/files.h"
#include "test_support.h"

namespace konfex {
namespace {

using test::readText;
using test::TempDir;
using test::writeText;

TEST(Settings, MissingFileGivesDefaultsAndTheWrittenTreeIsFixed) {
  TempDir dir;
  const Settings s = readSettings(dir / "Konfex.xml");
  EXPECT_EQ(s, Settings{});
  writeSettings(dir / "Konfex.xml", s);
  EXPECT_EQ(readText(dir / "Konfex.xml"),
            "<Conf_Settings>\n"
            "  <lastproj>\n    <projectname></projectname>\n  </lastproj>\n"
            "  <lastipadd>\n    <ipaddress>192.168.2.205</ipaddress>\n  </lastipadd>\n"
            "  <lastlang>\n    <language>English</language>\n  </lastlang>\n"
            "  <lastinternet>\n"
            "    <enable_internet>0</enable_internet>\n    <enable_update>0</enable_update>\n"
            "    <enable_jump_field_tables>0</enable_jump_field_tables>\n"
            "    <Double_Click_Auto_Size>0</Double_Click_Auto_Size>\n"
            "  </lastinternet>\n"
            "</Conf_Settings>\n");
  EXPECT_EQ(test::fileNames(dir.path()), std::vector<std::string>{"Konfex.xml"}) << "no temporary file is left";
}

TEST(Settings, ReadsEachValueOnItsOwn) {
  struct Case {
    const char* name;
    const char* xml;
    Settings expected;
  };
  Settings onlyLanguage;
  onlyLanguage.language = "Deutsch";
  Settings onlyUpdate;
  onlyUpdate.enableUpdate = true;
  Settings reordered;
  reordered.projectName = "Plant A";
  reordered.lastDeviceIp = "";
  reordered.enableInternet = true;
  reordered.doubleClickAutoSize = true;
  Settings blankName;
  blankName.projectName = " ";
  const Case cases[] = {
      {"only language", "<Conf_Settings><lastlang><language>Deutsch</language></lastlang></Conf_Settings>",
       onlyLanguage},
      {"flag texts",
       "<R><lastinternet><enable_internet>true</enable_internet><enable_update>1</enable_update>"
       "<enable_jump_field_tables> 1</enable_jump_field_tables></lastinternet></R>",
       onlyUpdate},
      {"other order and root name",
       "<Other><lastinternet><Double_Click_Auto_Size>1</Double_Click_Auto_Size><enable_internet>1</enable_internet>"
       "</lastinternet><lastipadd><ipaddress></ipaddress></lastipadd><lastproj><projectname>Plant A</projectname>"
       "</lastproj></Other>",
       reordered},
      {"blank name kept", "<C><lastproj><projectname> </projectname></lastproj></C>", blankName},
      {"comment first", "<!-- c --><C><lastlang><language>Deutsch</language></lastlang></C>", Settings{}},
      {"declaration skipped", "<?xml version=\"1.0\"?>\n<C><lastlang><language>Deutsch</language></lastlang></C>",
       onlyLanguage},
      {"malformed", "<C><lastlang><language>Deutsch</language></lastlang>", Settings{}},
      {"empty file", "", Settings{}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    writeText(dir / "Konfex.xml", c.xml);
    EXPECT_EQ(readSettings(dir / "Konfex.xml"), c.expected) << c.name;
  }
}

TEST(Settings, RoundTripsEveryValue) {
  TempDir dir;
  Settings s;
  s.projectName = "  Line 7 <&> ";
  s.lastDeviceIp = "10.0.0.9";
  s.language =
      "Fran\xC3\xA7"
      "ais";
  s.enableInternet = s.enableJumpFieldTables = true;
  writeSettings(dir / "Konfex.xml", s);
  EXPECT_EQ(readSettings(dir / "Konfex.xml"), s);
}

TEST(Settings, AFailedWriteThrowsAndKeepsTheOldFile) {
  TempDir dir;
  EXPECT_THROW(writeSettings(dir / "missing-folder" / "Konfex.xml", Settings{}), FileError);
  std::filesystem::create_directory(dir / "Konfex.xml");  // a folder in the way
  EXPECT_THROW(writeSettings(dir / "Konfex.xml", Settings{}), FileError);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "Konfex.xml"));
}

TEST(Settings, ADamagedFileIsReportedAndKeptAsBakByTheFirstSave) {
  TempDir dir;
  const std::string damaged = "<Conf_Settings>\n  <lastproj><projectname>Line 7</projectname>\n";
  writeText(dir / "Konfex.xml", damaged);
  const SettingsRead read = readSettingsFile(dir / "Konfex.xml");
  EXPECT_EQ(read.settings, Settings{});
  ASSERT_TRUE(read.damage.has_value());
  EXPECT_NE(read.damage->find("line 2, column 46"), std::string::npos) << *read.damage;

  AppState state(dir.path());
  TextTable texts;
  state.startUp(texts);
  ASSERT_TRUE(state.settingsDamage().has_value());
  EXPECT_EQ(*state.settingsDamage(), *read.damage);
  state.settings().lastDeviceIp = "10.0.0.1";
  state.saveSettings();
  EXPECT_EQ(readText(dir / "Konfex.xml.bak"), damaged);
  EXPECT_EQ(readSettings(dir / "Konfex.xml").lastDeviceIp, "10.0.0.1");
  state.settings().lastDeviceIp = "10.0.0.2";
  state.saveSettings();
  EXPECT_EQ(readText(dir / "Konfex.xml.bak"), damaged) << "only the first save keeps a copy";

  // A sound file is neither reported nor copied.
  AppState again(dir.path());
  again.startUp(texts);
  EXPECT_FALSE(again.settingsDamage().has_value());
  std::filesystem::remove(dir / "Konfex.xml.bak");
  again.saveSettings();
  EXPECT_FALSE(std::filesystem::exists(dir / "Konfex.xml.bak"));
  EXPECT_FALSE(readSettingsFile(dir / "missing.xml").damage.has_value());
}

}  // namespace
}  // namespace konfex
