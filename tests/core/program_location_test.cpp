#include "core/app/program_location.h"

#include <gtest/gtest.h>

#include "core/app/app_state.h"

#include "test_support.h"

namespace konfex {
namespace {

namespace fs = std::filesystem;
using test::readText;
using test::TempDir;
using test::writeText;

TEST(ProgramLocation, KonfexHomeThenInstalledPerUserFolderThenExecutableFolder) {
  TempDir dir;
  const fs::path build = dir / "build" / "bin";
  const fs::path builtData = dir / "built" / "bin";  // a build that made LANGUAGE and MASTER
  fs::create_directories(builtData / "MASTER");
  const fs::path installed = dir / "usr" / "lib" / "konfex";
  fs::create_directories(build);
  fs::create_directories(installed);
  fs::create_directories(dir / "usr" / "share" / "konfex");
  const fs::path shipped = dir / "usr" / "share" / "konfex";
  struct Case {
    const char* name;
    fs::path executable;
    ProgramEnvironment env;
    fs::path program;
    fs::path shipped;
  };
  const Case cases[] = {
      {"build tree", build, {nullptr, "/data", "/home/u"}, build, {}},
      {"build tree, KONFEX_HOME", build, {"/srv/k", "/data", "/home/u"}, "/srv/k", {}},
      {"built data, KONFEX_HOME seeds from it", builtData, {"/srv/k", nullptr, nullptr}, "/srv/k", builtData},
      {"built data, no KONFEX_HOME", builtData, {nullptr, nullptr, "/home/u"}, builtData, {}},
      {"installed, HOME only", installed, {nullptr, nullptr, "/home/u"}, "/home/u/.local/share/konfex", shipped},
      {"installed, XDG_DATA_HOME", installed, {"", "/data/", "/home/u"}, "/data/konfex", shipped},
      {"installed, relative XDG_DATA_HOME is ignored",
       installed,
       {nullptr, "data", "/home/u"},
       "/home/u/.local/share/konfex",
       shipped},
      {"installed, KONFEX_HOME wins", installed, {"/srv/k", "/data", "/home/u"}, "/srv/k", shipped},
      {"installed, no usable home", installed, {nullptr, nullptr, "relative"}, installed, shipped},
  };
  for (const Case& c : cases) {
    const ProgramLocation location = locateProgram(c.executable, c.env);
    EXPECT_EQ(location.program, c.program) << c.name;
    EXPECT_EQ(location.shipped, c.shipped) << c.name;
  }
}

TEST(ProgramLocation, UpdaterStaysBesideTheExecutablesWhileItsJobFollowsTheProgramFolder) {
  const AppState installed("/home/u/.local/share/konfex", "/usr/lib/konfex");
  EXPECT_EQ(installed.folders().updater.parent_path(), fs::path("/usr/lib/konfex"));
  EXPECT_EQ(installed.folders().updaterJob.parent_path(), fs::path("/home/u/.local/share/konfex"));
  EXPECT_EQ(installed.folders().updater.filename(), WorkingFolders::at("/x").updater.filename());
  const AppState buildTree("/b/bin");
  EXPECT_EQ(buildTree.folders().updater.parent_path(), fs::path("/b/bin"));
}

class Seeding : public ::testing::Test {
 protected:
  void ship(const std::string& file, const std::string& bytes) { writeText(shipped_ / file, bytes); }
  std::vector<std::string> seed() { return seedProgramFolder(shipped_, program_); }
  std::string user(const std::string& file) { return readText(program_ / file); }

  TempDir dir_;
  fs::path shipped_ = dir_ / "share" / "konfex";
  fs::path program_ = dir_ / "home" / ".local" / "share" / "konfex";  // parents missing too
};

TEST_F(Seeding, FirstStartCopiesLanguagesFlagsAndFirmwareOnly) {
  ship("LANGUAGE/Deutsch.lng", "STR0001 = Hallo");
  ship("LANGUAGE/Deutsch.bmp", "BM flag");
  ship("MASTER/Sim40213.sim", "firmware v1");
  ship("README", "not data");
  EXPECT_TRUE(seed().empty());
  EXPECT_EQ(user("LANGUAGE/Deutsch.lng"), "STR0001 = Hallo");
  EXPECT_EQ(user("LANGUAGE/Deutsch.bmp"), "BM flag");
  EXPECT_EQ(user("MASTER/Sim40213.sim"), "firmware v1");
  EXPECT_FALSE(fs::exists(program_ / "README"));
  EXPECT_EQ(test::fileNames(program_), (std::vector<std::string>{kShippedRecordName, "LANGUAGE", "MASTER"}));
  EXPECT_EQ(test::fileNames(program_ / "LANGUAGE"), (std::vector<std::string>{"Deutsch.bmp", "Deutsch.lng"}))
      << "no temporary file is left";
}

TEST_F(Seeding, UpgradeRefreshesUntouchedCopiesAndNeverTheUsersFiles) {
  ship("LANGUAGE/Deutsch.lng", "old Deutsch");
  ship("LANGUAGE/Italiano.lng", "old Italiano");
  ship("MASTER/Sim40213.sim", "firmware v1");
  ship("LANGUAGE/Gone.lng", "shipped once");
  ASSERT_TRUE(seed().empty());
  // The user edits one language, adds one of their own and deletes one.
  writeText(program_ / "LANGUAGE/Italiano.lng", "my Italiano");
  writeText(program_ / "LANGUAGE/Mine.lng", "my own");
  fs::remove(program_ / "LANGUAGE/Deutsch.lng");
  EXPECT_TRUE(seed().empty());
  EXPECT_EQ(user("LANGUAGE/Deutsch.lng"), "old Deutsch") << "a missing shipped file comes back";

  // A newer package.
  ship("LANGUAGE/Deutsch.lng", "new Deutsch");
  ship("LANGUAGE/Italiano.lng", "new Italiano");
  ship("MASTER/Sim40213.sim", "firmware v2");
  ship("LANGUAGE/Mine.lng", "shipped Mine");
  ship("LANGUAGE/Neu.lng", "added");
  fs::remove(shipped_ / "LANGUAGE/Gone.lng");
  EXPECT_TRUE(seed().empty());
  EXPECT_EQ(user("LANGUAGE/Deutsch.lng"), "new Deutsch");
  EXPECT_EQ(user("MASTER/Sim40213.sim"), "firmware v2");
  EXPECT_EQ(user("LANGUAGE/Neu.lng"), "added");
  EXPECT_EQ(user("LANGUAGE/Italiano.lng"), "my Italiano");
  EXPECT_EQ(user("LANGUAGE/Mine.lng"), "my own");
  EXPECT_EQ(user("LANGUAGE/Gone.lng"), "shipped once");

  // The same package again changes nothing, also after the user edited a refreshed file.
  writeText(program_ / "MASTER/Sim40213.sim", "my firmware");
  const auto record = readText(program_ / kShippedRecordName);
  EXPECT_TRUE(seed().empty());
  EXPECT_EQ(user("MASTER/Sim40213.sim"), "my firmware");
  EXPECT_EQ(readText(program_ / kShippedRecordName), record);
}

TEST_F(Seeding, WithoutItsRecordOnlyMissingFilesAreCopied) {
  ship("LANGUAGE/Deutsch.lng", "v1");
  ship("LANGUAGE/Italiano.lng", "v1");
  ASSERT_TRUE(seed().empty());
  for (const char* damaged : {"<Shipped><file path=", ""}) {
    writeText(program_ / kShippedRecordName, damaged);
    writeText(program_ / "LANGUAGE/Deutsch.lng", "v1");
    writeText(program_ / "LANGUAGE/Italiano.lng", "mine");
    ship("LANGUAGE/Deutsch.lng", "v2");
    ship("LANGUAGE/Italiano.lng", "v2");
    EXPECT_TRUE(seed().empty()) << damaged;
    EXPECT_EQ(user("LANGUAGE/Deutsch.lng"), "v1") << "an older copy is kept when nothing proves it ours";
    EXPECT_EQ(user("LANGUAGE/Italiano.lng"), "mine");
  }
}

TEST_F(Seeding, ProblemsAreReportedAndNothingElseIsLost) {
  ship("LANGUAGE/Deutsch.lng", "Deutsch");
  ship("MASTER/Sim40213.sim", "firmware");
  fs::create_directories(program_ / "LANGUAGE" / "Deutsch.lng");  // a folder where a file would go
  writeText(program_ / "MASTER", "a file where a folder would go");
  const auto problems = seed();
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("Sim40213.sim"), std::string::npos) << problems[0];
  EXPECT_TRUE(fs::is_directory(program_ / "LANGUAGE" / "Deutsch.lng"));
  EXPECT_EQ(user("MASTER"), "a file where a folder would go");

  fs::remove_all(dir_ / "home");
  writeText(dir_ / "home", "not a folder");
  const auto blocked = seed();
  ASSERT_EQ(blocked.size(), 1u);
  EXPECT_NE(blocked[0].find("could not be created"), std::string::npos) << blocked[0];
}

TEST_F(Seeding, BuildTreeAndSameFolderOnlyCreateTheProgramFolder) {
  ship("LANGUAGE/Deutsch.lng", "Deutsch");
  EXPECT_TRUE(seedProgramFolder({}, program_).empty());
  EXPECT_TRUE(fs::is_directory(program_));
  EXPECT_TRUE(test::fileNames(program_).empty());
  EXPECT_TRUE(seedProgramFolder(shipped_, shipped_).empty());
  EXPECT_EQ(test::fileNames(shipped_), std::vector<std::string>{"LANGUAGE"});
}

}  // namespace
}  // namespace konfex
