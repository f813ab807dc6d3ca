#include "platform/process.h"

#include <gtest/gtest.h>

#include "core/app/start_program.h"
#include "test_support.h"

namespace konfex {
namespace {

TEST(SystemProgramLauncher, StartsRealProgramsWithTheirParameters) {
  test::TempDir dir;
  SystemProgramLauncher launcher;
  SteadyClock clock;
  const auto marker = dir / "touched";
  EXPECT_EQ(startProgram(launcher, clock, "/usr/bin/touch", marker.string(), false), StartOutcome::Exited);
  EXPECT_TRUE(std::filesystem::exists(marker));
  EXPECT_EQ(startProgram(launcher, clock, dir / "no-such-program", "", false), StartOutcome::NotStarted);
  EXPECT_EQ(startProgram(launcher, clock, "", "", true), StartOutcome::NotStarted);
}

TEST(SystemProgramLauncher, ReportsWhenARealProgramEnds) {
  SystemProgramLauncher launcher;
  auto running = launcher.start("/bin/sleep", "0.3", false);
  ASSERT_NE(running, nullptr);
  EXPECT_FALSE(running->hasExited());
  SteadyClock clock;
  while (!running->hasExited()) clock.sleep(std::chrono::milliseconds(10));
  EXPECT_TRUE(running->hasExited());
}

TEST(ExecutableFolder, IsTheTestBinarysFolder) {
  EXPECT_TRUE(std::filesystem::exists(executableFolder(nullptr) / "konfex_platform_tests"));
}

}  // namespace
}  // namespace konfex
