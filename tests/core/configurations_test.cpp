#include "core/store/configurations.h"

#include <gtest/gtest.h>

#include "core/app/app_state.h"
#include "test_support.h"

namespace konfex {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::writeText;

TEST(Configurations, CreateRefusesBadNamesAndKeepsGoodOnesAsTyped) {
  TempDir dir;
  fs::create_directory(dir / "Existing");
  writeText(dir / "AFile", "x");
  struct Case {
    std::string name;
    CreateOutcome outcome;
  };
  const Case cases[] = {
      {"", CreateOutcome::EmptyName},
      {"Existing", CreateOutcome::AlreadyExists},
      {".", CreateOutcome::NotValid},
      {"..", CreateOutcome::NotValid},
      {"a/b", CreateOutcome::NotValid},
      {"../escape", CreateOutcome::NotValid},
      {"a\\b", CreateOutcome::NotValid},
      {"AFile", CreateOutcome::NotValid},
      {std::string(300, 'n'), CreateOutcome::NotValid},
      {" Line 1 ", CreateOutcome::Created},
      {"Anlage \xC3\xBC", CreateOutcome::Created},
  };
  for (const Case& c : cases) EXPECT_EQ(createConfiguration(dir.path(), c.name), c.outcome) << "\"" << c.name << "\"";
  EXPECT_TRUE(fs::is_directory(dir / " Line 1 " / "bin"));
  EXPECT_TRUE(fs::is_empty(dir / " Line 1 " / "bin"));
  EXPECT_FALSE(fs::exists(dir.path().parent_path() / "escape"));
  EXPECT_EQ(messageTextFor(CreateOutcome::EmptyName), 107);
  EXPECT_EQ(messageTextFor(CreateOutcome::AlreadyExists), 106);
  EXPECT_EQ(messageTextFor(CreateOutcome::NotValid), 105);
  EXPECT_EQ(createConfiguration(dir / "no-projects-folder", "x"), CreateOutcome::NotValid);
}

TEST(Configurations, ListsFoldersSortedWithoutRegardToCase) {
  TempDir dir;
  for (const char* name : {"beta", "Alpha", "gamma", ".hidden", "Delta"}) fs::create_directory(dir / name);
  writeText(dir / "notes.txt", "a file is no configuration");
  const std::vector<std::string> names = listConfigurations(dir.path());
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "Delta", "gamma"}));
  EXPECT_EQ(findConfiguration(names, "DELTA"), 2);
  EXPECT_EQ(findConfiguration(names, "omega"), -1);
  EXPECT_TRUE(listConfigurations(dir / "missing").empty());
}

TEST(Configurations, ProjectPathsLieInTheFolder) {
  const ProjectPaths p = ProjectPaths::in("/p/PROJECTS/Line");
  EXPECT_EQ(p.parGen, fs::path("/p/PROJECTS/Line/ParGen.xml"));
  EXPECT_EQ(p.connections, fs::path("/p/PROJECTS/Line/EtherNetIP_Master_Rules.xml"));
  EXPECT_EQ(p.receiveFrames, fs::path("/p/PROJECTS/Line/CAN_Rec_Frames.xml"));
  EXPECT_EQ(p.sendFrames, fs::path("/p/PROJECTS/Line/CAN_Send_Frames.xml"));
  EXPECT_EQ(p.bankImage, fs::path("/p/PROJECTS/Line/bin/bank.bin"));
}

TEST(AppState, FirstStartCreatesFoldersAndRestoresOnlyExistingConfigurations) {
  TempDir dir;
  {
    AppState state(dir.path());
    TextTable texts;
    state.startUp(texts);
    for (const char* f : {"MASTER", "PROJECTS", "LANGUAGE"}) EXPECT_TRUE(fs::is_directory(dir / f)) << f;
    EXPECT_FALSE(state.hasActiveConfiguration());
    EXPECT_FALSE(state.updateTimerWanted());
    EXPECT_TRUE(state.readBack);
    EXPECT_EQ(state.settings().language, "English");
  }
  fs::create_directories(dir / "PROJECTS" / "Line" / "bin");
  writeText(dir / "Konfex.xml",
            "<C><lastproj><projectname>Line</projectname></lastproj><lastlang><language>Gone</language></lastlang>"
            "<lastinternet><enable_internet>1</enable_internet><enable_update>1</enable_update></lastinternet></C>");
  {
    AppState state(dir.path());
    TextTable texts;
    state.startUp(texts);
    EXPECT_EQ(state.activeName(), "Line");
    EXPECT_EQ(state.activeFolder(), dir / "PROJECTS" / "Line");
    EXPECT_EQ(state.projectPaths(), ProjectPaths::in(dir / "PROJECTS" / "Line"));
    EXPECT_EQ(state.settings().language, "English") << "a vanished language file falls back";
    EXPECT_TRUE(state.updateTimerWanted());
    state.saveSettings();
  }
  fs::remove_all(dir / "PROJECTS" / "Line");
  {
    AppState state(dir.path());
    TextTable texts;
    state.startUp(texts);
    EXPECT_FALSE(state.hasActiveConfiguration());
    EXPECT_TRUE(state.activeName().empty());
    state.saveSettings();
    EXPECT_EQ(readSettings(dir / "Konfex.xml").projectName, "");
  }
}

TEST(AppState, ProgramFolderFollowsKonfexHome) {
  EXPECT_EQ(programFolder("/opt/konfex", nullptr), fs::path("/opt/konfex"));
  EXPECT_EQ(programFolder("/opt/konfex", ""), fs::path("/opt/konfex"));
  EXPECT_EQ(programFolder("/opt/konfex", "/home/u/konfex/"), fs::path("/home/u/konfex"));
}

}  // namespace
}  // namespace konfex
