#include <cstdlib>
#include <iostream>

#include "cli.h"
#include "core/app/app_state.h"
#include "core/app/program_location.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const auto location =
      konfex::locateProgram(konfex::executableFolder(argv[0]),
                            {std::getenv("KONFEX_HOME"), std::getenv("XDG_DATA_HOME"), std::getenv("HOME")});
  for (const auto& problem : konfex::seedProgramFolder(location.shipped, location.program))
    std::cerr << "konfex-cli: " << problem << '\n';
  const auto& folder = location.program;
  return konfex::runCli(args, folder, std::cout, std::cerr);
}
