#include "core/app/start_program.h"

namespace konfex {

StartOutcome startProgram(ProgramLauncher& launcher, Clock& clock, const std::filesystem::path& program,
                          const std::string& parameters, bool hidden, const std::function<void()>& between) {
  using std::chrono::milliseconds;
  const std::unique_ptr<RunningProgram> running = launcher.start(program, parameters, hidden);
  if (!running) return StartOutcome::NotStarted;
  const milliseconds started = clock.now();
  for (;;) {
    if (running->hasExited()) {
      clock.sleep(milliseconds(10));
      return StartOutcome::Exited;
    }
    if (clock.now() - started >= kProgramWaitLimit) return StartOutcome::StillRunning;
    clock.sleep(milliseconds(10));
    if (between) between();
  }
}

}  // namespace konfex
