// Real child processes for the tests of the updater and the simulator: started with extra environment,
// their output collected while they run, ended when the test is over.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace konfex::test {

class ChildProcess {
 public:
  // `environment` holds "NAME=value" entries added to (or replacing those of) this process's environment.
  ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  // The exit code once the process has ended within the limit; nullopt while it still runs.
  std::optional<int> wait(std::chrono::milliseconds limit);
  // Waits until the standard output holds the text; false after the limit.
  bool waitForOutput(const std::string& text, std::chrono::milliseconds limit);
  void terminate();

  std::string out() const;
  std::string err() const;

 private:
  void collect(int outFd, int errFd);

  pid_t pid_ = -1;
  std::optional<int> status_;
  mutable std::mutex mutex_;
  std::string out_, err_;
  std::thread reader_;
};

// konfex-devsim started on free ports of a loopback address; the ports are read from its first line.
struct Simulated {
  explicit Simulated(const std::vector<std::string>& args, const std::string& address = "127.0.0.1");
  bool ready() const { return bootPort != 0; }
  ChildProcess process;
  uint16_t appPort = 0;
  uint16_t bootPort = 0;
};

std::filesystem::path programPath(const char* name);  // a program of the build's bin folder

}  // namespace konfex::test
