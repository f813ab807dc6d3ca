// The operating system's side of the seams: starting programs, the wall clock, the executable's folder.
#pragma once

#include <filesystem>

#include "core/app/seams.h"

namespace konfex {

// Starts the program file directly; the parameter text is split at blanks into arguments.
// The window-state choice has no meaning for programs started on Linux and is ignored there.
class SystemProgramLauncher final : public ProgramLauncher {
 public:
  std::unique_ptr<RunningProgram> start(const std::filesystem::path& program, const std::string& parameters,
                                        bool hidden) override;
};

class SteadyClock final : public Clock {
 public:
  std::chrono::milliseconds now() override;
  void sleep(std::chrono::milliseconds duration) override;
};

// The folder that holds the running executable; `argv0` serves where the system cannot say.
std::filesystem::path executableFolder(const char* argv0);

}  // namespace konfex
