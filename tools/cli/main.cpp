#include <cstdlib>
#include <iostream>

#include "cli.h"
#include "core/app/app_state.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const auto folder = konfex::programFolder(konfex::executableFolder(argv[0]), std::getenv("KONFEX_HOME"));
  return konfex::runCli(args, folder, std::cout, std::cerr);
}
