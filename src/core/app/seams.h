// The small interfaces through which the program meets the user and the operating system. The real
// implementations live in gui/ and platform/; tests plug in recorders and fakes.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

namespace konfex {

// Modal message boxes: error and warning with an OK button, question with Yes and No.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual void error(const std::string& text) = 0;
  virtual void warning(const std::string& text) = 0;
  virtual bool question(const std::string& text) = 0;  // true for Yes
};

// Opens a web address in the default browser.
class Browser {
 public:
  virtual ~Browser() = default;
  virtual void open(const std::string& url) = 0;
};

class RunningProgram {
 public:
  virtual ~RunningProgram() = default;
  virtual bool hasExited() = 0;
};

class ProgramLauncher {
 public:
  virtual ~ProgramLauncher() = default;
  // Starts the program; nullptr when it cannot be started. `hidden` asks for no window where the
  // platform has such a choice.
  virtual std::unique_ptr<RunningProgram> start(const std::filesystem::path& program, const std::string& parameters,
                                                bool hidden) = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::chrono::milliseconds now() = 0;
  virtual void sleep(std::chrono::milliseconds duration) = 0;
};

}  // namespace konfex
