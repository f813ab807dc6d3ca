#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "core/app/seams.h"

namespace konfex {

enum class StartOutcome { NotStarted, Exited, StillRunning };

inline constexpr std::chrono::milliseconds kProgramWaitLimit{150000};

// Starts the program and waits until it ends or the limit passes (the program then keeps running).
// `between` runs every 10 ms of the wait, so a window can repaint meanwhile.
StartOutcome startProgram(ProgramLauncher& launcher, Clock& clock, const std::filesystem::path& program,
                          const std::string& parameters, bool hidden, const std::function<void()>& between = {});

}  // namespace konfex
