// Runs a test body in a child process inside a network namespace of its own: only its loopback is up,
// so nothing the body sends can leave it. Making one needs the right to (root, or CAP_SYS_ADMIN).
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace konfex::test {

struct NamespaceRun {
  bool made = false;    // false: no namespace could be made here; `message` says why
  std::string message;  // what the body returned: empty for success, else what went wrong
};

NamespaceRun inOwnNetwork(const std::function<std::string()>& body);

// Inside the namespace: routes the subnet into the loopback, where nothing answers it.
bool routeIntoLoopback(const char* subnet, const char* mask);
// Inside the namespace: writes net.ipv4.ping_group_range.
bool setPingGroupRange(const char* range);

}  // namespace konfex::test
