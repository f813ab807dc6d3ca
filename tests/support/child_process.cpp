#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <sstream>

extern char** environ;

namespace konfex::test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
  std::map<std::string, std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    env[entry.substr(0, entry.find('='))] = entry;
  }
  for (const std::string& entry : environment) env[entry.substr(0, entry.find('='))] = entry;
  std::vector<std::string> envStrings;
  for (auto& [name, entry] : env) envStrings.push_back(entry);
  std::vector<char*> envp, args;
  for (std::string& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> argStrings(argv);
  for (std::string& a : argStrings) args.push_back(a.data());
  args.push_back(nullptr);

  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0) return;
  if (pipe2(err, O_CLOEXEC) != 0) {
    close(out[0]);
    close(out[1]);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  pid_ = pid;
  reader_ = std::thread([this, o = out[0], e = err[0]] { collect(o, e); });
}

ChildProcess::~ChildProcess() {
  terminate();
  if (reader_.joinable()) reader_.join();
}

void ChildProcess::collect(int outFd, int errFd) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  int open = 2;
  char buffer[4096];
  while (open > 0) {
    if (poll(fds, 2, 200) < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
        continue;
      }
      const std::lock_guard lock(mutex_);
      (i == 0 ? out_ : err_).append(buffer, static_cast<size_t>(n));
    }
  }
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds limit) {
  if (pid_ <= 0) return std::nullopt;
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!status_) {
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      // All output is in once the pipes are closed.
      if (reader_.joinable()) reader_.join();
      break;
    }
    if (std::chrono::steady_clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return status_;
}

bool ChildProcess::waitForOutput(const std::string& text, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (out().find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void ChildProcess::terminate() {
  if (pid_ <= 0 || status_) return;
  kill(pid_, SIGTERM);
  if (!wait(std::chrono::seconds(5))) {
    kill(pid_, SIGKILL);
    wait(std::chrono::seconds(5));
  }
}

std::string ChildProcess::out() const {
  const std::lock_guard lock(mutex_);
  return out_;
}

std::string ChildProcess::err() const {
  const std::lock_guard lock(mutex_);
  return err_;
}

Simulated::Simulated(const std::vector<std::string>& args, const std::string& address)
    : process([&] {
        std::vector<std::string> argv{programPath("konfex-devsim").string(), "--address", address};
        argv.insert(argv.end(), args.begin(), args.end());
        return argv;
      }()) {
  if (!process.waitForOutput("\n", std::chrono::seconds(10))) return;
  // "listening on 127.0.0.1 app-port 10000 boot-port 2008"
  std::istringstream first(process.out().substr(0, process.out().find('\n')));
  std::string word;
  unsigned app = 0, boot = 0;
  while (first >> word) {
    if (word == "app-port") first >> app;
    if (word == "boot-port") first >> boot;
  }
  appPort = static_cast<uint16_t>(app);
  bootPort = static_cast<uint16_t>(boot);
}

std::filesystem::path programPath(const char* name) {
  return std::filesystem::path(KONFEX_BIN_DIR) / name;
}

}  // namespace konfex::test
