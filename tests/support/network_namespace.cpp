#include "network_namespace.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <net/route.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace konfex::test {

namespace {

bool loopbackUp() {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  ifreq ifr{};
  std::strncpy(ifr.ifr_name, "lo", IFNAMSIZ - 1);
  bool ok = ioctl(fd, SIOCGIFFLAGS, &ifr) == 0;
  ifr.ifr_flags = static_cast<short>(ifr.ifr_flags | IFF_UP);
  ok = ok && ioctl(fd, SIOCSIFFLAGS, &ifr) == 0;
  close(fd);
  return ok;
}

void writeAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

}  // namespace

NamespaceRun inOwnNetwork(const std::function<std::string()>& body) {
  int channel[2];
  if (pipe(channel) != 0) return {false, "no pipe"};
  const pid_t pid = fork();
  if (pid < 0) return {false, "fork failed"};
  if (pid == 0) {
    close(channel[0]);
    if (unshare(CLONE_NEWNET) != 0) {
      writeAll(channel[1], std::string("\1cannot create a network namespace (needs root or CAP_SYS_ADMIN): ") +
                               std::strerror(errno));
      _exit(0);
    }
    std::string result = loopbackUp() ? body() : "the namespace's loopback could not be brought up";
    writeAll(channel[1], result);
    _exit(0);
  }
  close(channel[1]);
  std::string said;
  char buffer[512];
  for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) said.append(buffer, static_cast<size_t>(n));
  close(channel[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!said.empty() && said[0] == '\1') return {false, said.substr(1)};
  if (!WIFEXITED(status)) return {true, "the child process ended abnormally"};
  return {true, said};
}

bool routeIntoLoopback(const char* subnet, const char* mask) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  rtentry route{};
  auto* dst = reinterpret_cast<sockaddr_in*>(&route.rt_dst);
  auto* genmask = reinterpret_cast<sockaddr_in*>(&route.rt_genmask);
  dst->sin_family = genmask->sin_family = AF_INET;
  inet_pton(AF_INET, subnet, &dst->sin_addr);
  inet_pton(AF_INET, mask, &genmask->sin_addr);
  route.rt_flags = RTF_UP;
  char device[] = "lo";
  route.rt_dev = device;
  const bool ok = ioctl(fd, SIOCADDRT, &route) == 0;
  close(fd);
  return ok;
}

bool setPingGroupRange(const char* range) {
  std::ofstream out("/proc/sys/net/ipv4/ping_group_range");
  out << range;
  out.close();
  return static_cast<bool>(out);
}

}  // namespace konfex::test
