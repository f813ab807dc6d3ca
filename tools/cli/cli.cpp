#include "cli.h"

#include <algorithm>
#include <optional>
#include <ostream>
#include <system_error>

#include "core/app/app_state.h"
#include "core/image/bank_image.h"
#include "core/image/image_dump.h"
#include "core/io/files.h"
#include "core/io/text.h"
#include "core/lang/text_table.h"

namespace konfex {

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: konfex-cli COMMAND ...\n"
    "  compile CONFIG_DIR [--output FILE]      compile the configuration image (default CONFIG_DIR/bin/bank.bin)\n"
    "  dump FILE [--json]                      decode a configuration image\n"
    "  texts [--language NAME | --file PATH] [--json]\n"
    "                                          print the effective text table as a language file or JSON\n";

struct Usage {
  std::string problem;
};

// Splits the arguments after the command into positionals, flags and options with one value.
struct Args {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;
  std::vector<std::string> flags;

  static Args parse(const std::vector<std::string>& args, const std::vector<std::string>& withValue,
                    const std::vector<std::string>& flagNames) {
    Args a;
    for (size_t i = 1; i < args.size(); ++i) {
      const std::string& s = args[i];
      if (std::find(withValue.begin(), withValue.end(), s) != withValue.end()) {
        if (i + 1 >= args.size()) throw Usage{s + " needs a value"};
        if (a.option(s)) throw Usage{s + " given twice"};
        a.options.emplace_back(s, args[++i]);
      } else if (std::find(flagNames.begin(), flagNames.end(), s) != flagNames.end()) {
        a.flags.push_back(s);
      } else if (s.starts_with("--")) {
        throw Usage{"unknown option " + s};
      } else {
        a.positional.push_back(s);
      }
    }
    return a;
  }
  std::optional<std::string> option(const std::string& name) const {
    for (const auto& [k, v] : options)
      if (k == name) return v;
    return std::nullopt;
  }
  bool flag(const std::string& name) const { return std::find(flags.begin(), flags.end(), name) != flags.end(); }
};

int compileCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const Args a = Args::parse(args, {"--output"}, {});
  if (a.positional.size() != 1) throw Usage{"compile takes one configuration folder"};
  const fs::path folder = utf8Path(a.positional[0]);
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) throw Usage{"no such configuration folder: " + a.positional[0]};
  const ProjectPaths paths = ProjectPaths::in(folder);
  const fs::path output = a.option("--output") ? utf8Path(*a.option("--output")) : paths.bankImage;
  try {
    const CompileResult r = compileImage(paths);
    writeImage(output, r.image);
    out << "compiled " << utf8String(output) << ": " << kImageSize << " bytes, " << r.frameRecords << " frame records, "
        << r.connectionRecords << " connection records, input " << r.inputTotal << " bytes, output " << r.outputTotal
        << " bytes, checksum " << r.checksum << " (" << hex32(r.checksum)
        << "), ignored rows: " << r.ignoredConnectionRows << " connection, " << r.ignoredFrameRows << " frame\n";
    return 0;
  } catch (const FileError& e) {
    err << "konfex-cli: " << e.what() << "\n";
    return 1;
  }
}

int dumpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const Args a = Args::parse(args, {}, {"--json"});
  if (a.positional.size() != 1) throw Usage{"dump takes one image file"};
  const fs::path file = utf8Path(a.positional[0]);
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) throw Usage{"no such file: " + a.positional[0]};
  std::string bytes;
  try {
    bytes = readFile(file);
  } catch (const FileError& e) {
    err << "konfex-cli: " << e.what() << "\n";
    return 1;
  }
  const DecodedImage image =
      decodeImage(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  out << (a.flag("--json") ? formatDumpJson(image) : formatDumpText(image));
  if (!image.sizeMatches())
    err << "konfex-cli: " << a.positional[0] << " is " << image.size << " bytes long, not " << kImageSize << "\n";
  else if (!image.checksumMatches())
    err << "konfex-cli: " << a.positional[0] << " has a wrong parameter block checksum\n";
  return image.intact() ? 0 : 1;
}

int textsCommand(const std::vector<std::string>& args, const fs::path& programFolder, std::ostream& out,
                 std::ostream& err) {
  const Args a = Args::parse(args, {"--language", "--file"}, {"--json"});
  if (!a.positional.empty()) throw Usage{"texts takes no positional arguments"};
  if (a.option("--language") && a.option("--file")) throw Usage{"--language and --file exclude each other"};
  TextTable table;
  if (const auto name = a.option("--language")) {
    const std::string used = loadLanguage(table, WorkingFolders::at(programFolder).language, *name);
    if (used != *name) err << "konfex-cli: no language file for \"" << *name << "\", using English\n";
  } else if (const auto path = a.option("--file")) {
    std::error_code ec;
    if (!fs::is_regular_file(utf8Path(*path), ec)) throw Usage{"no such file: " + *path};
    if (!table.applyLanguageFile(utf8Path(*path))) {
      err << "konfex-cli: cannot read " << *path << "\n";
      return 1;
    }
  }
  out << (a.flag("--json") ? table.toJson() : table.toLanguageFile());
  return 0;
}

}  // namespace

int runCli(const std::vector<std::string>& args, const fs::path& programFolder, std::ostream& out, std::ostream& err) {
  try {
    if (args.empty()) throw Usage{"no command given"};
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
      out << kUsage;
      return 0;
    }
    if (command == "compile") return compileCommand(args, out, err);
    if (command == "dump") return dumpCommand(args, out, err);
    if (command == "texts") return textsCommand(args, programFolder, out, err);
    throw Usage{"unknown command " + command};
  } catch (const Usage& u) {
    err << "konfex-cli: " << u.problem << "\n" << kUsage;
    return 2;
  }
}

}  // namespace konfex
