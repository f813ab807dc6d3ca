// The conventions every konfex-cli command follows. A command is one function that adds its subcommand
// and options to the CLI11 app and gives back what runs it once the line is parsed; runCli owns parsing,
// --help, --version and the exit codes:
//   0  success
//   1  the work failed: throw Failure (or let a FileError through); the message goes to stderr
//   2  bad arguments or a missing path: CLI11 reports its own, a command throws UsageError
// JSON goes through printJson only, so every command prints it the same way.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

namespace konfex::cli {

// Keys print in the order they were set.
using Json = nlohmann::ordered_json;

struct Context {
  const std::filesystem::path& programFolder;
  std::ostream& out;
  std::ostream& err;
};

// Exit 2: the command line asks for something impossible (a folder that does not exist, ...).
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Exit 1: the work itself failed.
class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using Runner = std::function<int(const Context&)>;
// Adds one subcommand to `app`; the runner it returns is called when that subcommand was given.
using Command = Runner (*)(CLI::App& app);

// Indented by two, one value per line, a line end after it; bytes that are not UTF-8 print as U+FFFD.
void printJson(std::ostream& out, const Json& value);

// "konfex-cli: <text>" on stderr.
void complain(const Context& context, const std::string& text);

}  // namespace konfex::cli
