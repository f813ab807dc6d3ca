// Runs konfex-cli's command line in the test process and keeps what it printed.
#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli.h"

namespace konfex::test {

struct CliRun {
  int code;
  std::string out;
  std::string err;
};

inline CliRun cli(const std::vector<std::string>& args, const std::filesystem::path& programFolder = "/nonexistent") {
  std::ostringstream out, err;
  const int code = runCli(args, programFolder, out, err);
  return {code, out.str(), err.str()};
}

}  // namespace konfex::test
