#include "core/app/start_program.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace konfex {
namespace {

using namespace std::chrono_literals;

// A program that ends after a number of polls (never when negative).
class ScriptedLauncher final : public ProgramLauncher {
 public:
  std::unique_ptr<RunningProgram> start(const std::filesystem::path& program, const std::string& parameters,
                                        bool hidden) override {
    started = program.string() + "|" + parameters + "|" + (hidden ? "hidden" : "shown");
    if (!startable) return nullptr;
    struct Program final : RunningProgram {
      int pollsLeft;
      explicit Program(int polls) : pollsLeft(polls) {}
      bool hasExited() override { return pollsLeft >= 0 && pollsLeft-- == 0; }
    };
    return std::make_unique<Program>(pollsUntilExit);
  }
  bool startable = true;
  int pollsUntilExit = 0;
  std::string started;
};

TEST(StartProgram, WaitsForTheProgramAtMost150Seconds) {
  struct Case {
    const char* name;
    bool startable;
    int polls;
    StartOutcome outcome;
    std::chrono::milliseconds waited;
  };
  const Case cases[] = {
      {"cannot start", false, 0, StartOutcome::NotStarted, 0ms},
      {"exits at once", true, 0, StartOutcome::Exited, 10ms},
      {"exits after three polls", true, 3, StartOutcome::Exited, 40ms},
      {"never exits", true, -1, StartOutcome::StillRunning, 150000ms},
  };
  for (const Case& c : cases) {
    ScriptedLauncher launcher;
    launcher.startable = c.startable;
    launcher.pollsUntilExit = c.polls;
    test::FakeClock clock;
    int pumps = 0;
    EXPECT_EQ(startProgram(launcher, clock, "/opt/updater", "", false, [&] { ++pumps; }), c.outcome) << c.name;
    EXPECT_EQ(clock.time, c.waited) << c.name;
    EXPECT_EQ(launcher.started, "/opt/updater||shown") << c.name;
    if (c.outcome == StartOutcome::StillRunning) {
      EXPECT_EQ(pumps, 15000) << "the window is pumped every 10 ms";
    }
  }
}

}  // namespace
}  // namespace konfex
