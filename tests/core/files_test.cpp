#include "core/io/files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "test_support.h"

namespace konfex {
namespace {

namespace fs = std::filesystem;
using test::fileNames;
using test::readText;
using test::TempDir;
using test::writeText;

// Both ways of writing: with an unnamed temporary where the system has one, and the named one that
// systems without it use.
class AtomicWrite : public ::testing::TestWithParam<bool> {
 protected:
  void save(const fs::path& file, std::string_view bytes) { detail::writeFileAtomically(file, bytes, GetParam()); }
  TempDir dir_;
};

TEST_P(AtomicWrite, ReplacesTheFileAndLeavesNothingElse) {
  const fs::path file = dir_ / "bank.bin";
  save(file, "old");
  save(file, "new contents");
  EXPECT_EQ(readText(file), "new contents");
  save(file, "");
  EXPECT_EQ(readText(file), "");
  EXPECT_EQ(fileNames(dir_.path()), std::vector<std::string>{"bank.bin"});
}

TEST_P(AtomicWrite, FailuresKeepTheOldFileAndNameTheReason) {
  fs::create_directories(dir_ / "in the way");
  struct Case {
    fs::path file;
    const char* reason;
  };
  for (const Case& c : {Case{dir_ / "missing" / "x.xml", "folder does not exist"},
                        Case{dir_ / "in the way", "a folder of that name is in the way"}}) {
    try {
      save(c.file, "x");
      ADD_FAILURE() << c.reason;
    } catch (const FileError& e) {
      EXPECT_EQ(e.path(), c.file);
      EXPECT_EQ(e.reason().rfind(c.reason, 0), 0u) << e.reason();
    }
  }
  EXPECT_EQ(fileNames(dir_.path()), std::vector<std::string>{"in the way"});
}

TEST_P(AtomicWrite, RemovesTheTemporariesAnEarlierSaveLeft) {
  const fs::path file = dir_ / "bank.bin";
  for (const char* name : {"bank.bin.tmp-abcdefghij", "bank.bin.tmp-0123456789", "bank.bin.tmp-short",
                           "bank.bin.tmp-ABCDEFGHIJ", "other.bin.tmp-abcdefghij", "bank.bin.bak"})
    writeText(dir_ / name, "left over");
  save(file, "new");
  EXPECT_EQ(fileNames(dir_.path()), (std::vector<std::string>{"bank.bin", "bank.bin.bak", "bank.bin.tmp-ABCDEFGHIJ",
                                                              "bank.bin.tmp-short", "other.bin.tmp-abcdefghij"}))
      << "only names our own saves of this file use";
}

// A save killed while it writes: the target stays whole (the old bytes or all the new ones), and after the
// next save no temporary is left, whichever way the system writes.
TEST_P(AtomicWrite, ASaveKilledHalfWayLeavesNoTemporary) {
  const fs::path file = dir_ / "bank.bin";
  save(file, "old");
  const std::string big(256u << 20, 'n');
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const char go = 1;
    (void)!write(ready[1], &go, 1);
    detail::writeFileAtomically(file, big, GetParam());
    _exit(0);
  }
  char go = 0;
  ASSERT_EQ(read(ready[0], &go, 1), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  close(ready[0]);
  close(ready[1]);

  const std::string now = readText(file);
  EXPECT_TRUE(now == "old" || now == big) << now.size() << " bytes";
  const int probe = open(dir_.path().c_str(), O_TMPFILE | O_WRONLY, 0600);
  if (probe >= 0) {
    close(probe);
    // The data had no name yet when the process died.
    if (GetParam()) {
      EXPECT_EQ(fileNames(dir_.path()), std::vector<std::string>{"bank.bin"});
    }
  }
  save(file, "after");
  EXPECT_EQ(readText(file), "after");
  EXPECT_EQ(fileNames(dir_.path()), std::vector<std::string>{"bank.bin"});
}

INSTANTIATE_TEST_SUITE_P(UnnamedOrNamed, AtomicWrite, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "Unnamed" : "Named"; });

TEST(KeepBackup, CopiesTheFileBesideIt) {
  TempDir dir;
  const fs::path file = dir / "ParGen.xml";
  writeText(file, "<damaged");
  writeText(dir / "ParGen.xml.bak", "an older copy");
  EXPECT_EQ(keepBackup(file), dir / "ParGen.xml.bak");
  EXPECT_EQ(readText(dir / "ParGen.xml.bak"), "<damaged");
  EXPECT_EQ(readText(file), "<damaged");
  EXPECT_THROW(keepBackup(dir / "missing.xml"), FileError);
  EXPECT_EQ(fileNames(dir.path()), (std::vector<std::string>{"ParGen.xml", "ParGen.xml.bak"}));
}

}  // namespace
}  // namespace konfex
