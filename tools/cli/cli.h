// konfex-cli: the headless front end on core.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace konfex {

// Runs one command line (without the program name). Exit codes: 0 success, 1 the work failed
// (malformed input, a file that cannot be written, a damaged image), 2 bad arguments or a missing path.
int runCli(const std::vector<std::string>& args, const std::filesystem::path& programFolder, std::ostream& out,
           std::ostream& err);

}  // namespace konfex
