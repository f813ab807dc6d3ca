#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/process.h"

extern char** environ;

namespace konfex {

namespace {

class PosixProgram final : public RunningProgram {
 public:
  explicit PosixProgram(pid_t pid) : pid_(pid) {}
  // The program may outlive the wait; reap it when it ends without blocking here.
  ~PosixProgram() override {
    if (!exited_) std::thread([pid = pid_] { waitpid(pid, nullptr, 0); }).detach();
  }
  bool hasExited() override {
    if (exited_) return true;
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    exited_ = r == pid_ || (r < 0 && errno == ECHILD);
    return exited_;
  }

 private:
  pid_t pid_;
  bool exited_ = false;
};

}  // namespace

std::unique_ptr<RunningProgram> SystemProgramLauncher::start(const std::filesystem::path& program,
                                                             const std::string& parameters, bool /*hidden*/) {
  std::vector<std::string> args{program.string()};
  std::istringstream words(parameters);
  for (std::string word; words >> word;) args.push_back(word);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return nullptr;
  return std::make_unique<PosixProgram>(pid);
}

std::chrono::milliseconds SteadyClock::now() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
}

void SteadyClock::sleep(std::chrono::milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

std::filesystem::path executableFolder(const char* argv0) {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec && !self.empty()) return self.parent_path();
  return std::filesystem::absolute(argv0 != nullptr ? argv0 : ".", ec).parent_path();
}

}  // namespace konfex
