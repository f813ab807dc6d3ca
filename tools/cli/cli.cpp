#include "cli.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <system_error>

#include "cli_command.h"
#include "cli_json.h"
#include "core/app/app_state.h"
#include "core/app/product.h"
#include "core/app/settings.h"
#include "core/editors/eds.h"
#include "core/image/bank_image.h"
#include "core/image/image_dump.h"
#include "core/io/files.h"
#include "core/io/text.h"
#include "core/lang/text_table.h"
#include "project_commands.h"

namespace konfex {

namespace fs = std::filesystem;

namespace cli {

void printJson(std::ostream& out, const Json& value) {
  out << value.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
}

void complain(const Context& context, const std::string& text) {
  context.err << "konfex-cli: " << text << "\n";
}

namespace {

// The texts the program would show: the language of the program folder's settings, else English.
TextTable programTexts(const Context& context) {
  TextTable texts;
  const WorkingFolders folders = WorkingFolders::at(context.programFolder);
  loadLanguage(texts, folders.language, readSettings(folders.settingsFile).language);
  return texts;
}

fs::path existingFolder(const std::string& text, const char* what) {
  std::error_code ec;
  if (!fs::is_directory(utf8Path(text), ec)) throw UsageError(std::string("no such ") + what + ": " + text);
  return utf8Path(text);
}

fs::path existingFile(const std::string& text) {
  std::error_code ec;
  if (!fs::is_regular_file(utf8Path(text), ec)) throw UsageError("no such file: " + text);
  return utf8Path(text);
}

Runner compileCommand(CLI::App& app) {
  struct Options {
    std::string folder;
    std::string output;
  };
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand("compile", "Compile the configuration image (default CONFIG_DIR/bin/bank.bin)");
  sub->add_option("CONFIG_DIR", o->folder, "The configuration folder")->required();
  sub->add_option("--output", o->output, "Write the image to FILE instead")->type_name("FILE");
  return [o](const Context& c) {
    const ProjectPaths paths = ProjectPaths::in(existingFolder(o->folder, "configuration folder"));
    const fs::path output = o->output.empty() ? paths.bankImage : utf8Path(o->output);
    const CompileResult r = compileImage(paths);
    writeImage(output, r.image);
    c.out << "compiled " << utf8String(output) << ": " << kImageSize << " bytes, " << r.frameRecords
          << " frame records, " << r.connectionRecords << " connection records, input " << r.inputTotal
          << " bytes, output " << r.outputTotal << " bytes, checksum " << r.checksum << " (" << hex32(r.checksum)
          << "), ignored rows: " << r.ignoredConnectionRows << " connection, " << r.ignoredFrameRows << " frame\n";
    return 0;
  };
}

Runner dumpCommand(CLI::App& app) {
  struct Options {
    std::string file;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand("dump", "Decode a configuration image: parameter block, connections, frames");
  sub->add_option("FILE", o->file, "The image file")->required();
  sub->add_flag("--json", o->json, "Print JSON");
  return [o](const Context& c) {
    const std::string bytes = readFile(existingFile(o->file));
    const DecodedImage image =
        decodeImage(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    if (o->json)
      printJson(c.out, imageJson(image));
    else
      c.out << formatDumpText(image);
    if (!image.sizeMatches())
      complain(c, o->file + " is " + std::to_string(image.size) + " bytes long, not " + std::to_string(kImageSize));
    else if (!image.checksumMatches())
      complain(c, o->file + " has a wrong parameter block checksum");
    return image.intact() ? 0 : 1;
  };
}

Runner textsCommand(CLI::App& app) {
  struct Options {
    std::string language;
    std::string file;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand("texts", "Print the effective text table as a language file or JSON");
  CLI::Option* language =
      sub->add_option("--language", o->language, "A language of the LANGUAGE folder")->type_name("NAME");
  CLI::Option* file = sub->add_option("--file", o->file, "A language file")->type_name("PATH");
  language->excludes(file);
  sub->add_flag("--json", o->json, "Print JSON");
  return [o, language, file](const Context& c) {
    TextTable table;
    if (language->count() > 0) {
      const std::string used = loadLanguage(table, WorkingFolders::at(c.programFolder).language, o->language);
      if (used != o->language) complain(c, "no language file for \"" + o->language + "\", using English");
    } else if (file->count() > 0) {
      if (!table.applyLanguageFile(existingFile(o->file))) throw Failure("cannot read " + o->file);
    }
    if (o->json)
      printJson(c.out, textsJson(table));
    else
      c.out << table.toLanguageFile();
    return 0;
  };
}

void printEds(std::ostream& out, const std::vector<ConnData>& list) {
  const TextTable texts;  // the selection grid's English headers
  for (const ConnData& conn : list) {
    const auto cells = edsGridTexts(conn);
    out << cells[0] << "\n";
    for (int i = 1; i < kEdsGridColumns; ++i)
      out << "  " << texts[kEdsFirstHeaderEntry + i] << ": " << cells[static_cast<size_t>(i)] << "\n";
    const EdsRawFields& raw = conn.raw;
    out << "  raw keyword: " << raw.keyword << "\n"
        << "  raw field 1 (trigger and transport): " << raw.triggerTransport << "\n"
        << "  raw field 2 (connection parameters): " << raw.connectionParameters << "\n"
        << "  raw fields 3 to 12 (rates, sizes, formats):";
    for (size_t i = 0; i < raw.rateSizeFormat.size(); ++i) out << (i ? " | " : " ") << raw.rateSizeFormat[i];
    out << "\n  raw field 15 (path): " << raw.path << "\n  path bytes:";
    for (const uint8_t b : raw.pathBytes) {
      static constexpr char kHex[] = "0123456789ABCDEF";
      out << ' ' << kHex[b >> 4] << kHex[b & 15];
    }
    out << "\n";
  }
}

Runner edsCommand(CLI::App& app) {
  struct Options {
    std::string file;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand(
      "eds", "List the connections of an EDS file as the import would, with the raw fields of each entry");
  sub->add_option("FILE", o->file, "The EDS file")->required();
  sub->add_flag("--json", o->json, "Print JSON: one object per connection");
  return [o](const Context& c) {
    const std::vector<ConnData> list = readEdsFile(existingFile(o->file));
    if (o->json)
      printJson(c.out, edsJson(list));
    else
      printEds(c.out, list);
    if (!list.empty()) return 0;
    complain(c, programTexts(c)[2315]);
    return 1;
  };
}

Runner checkCommand(CLI::App& app) {
  auto o = std::make_shared<CheckOptions>();
  auto folder = std::make_shared<std::string>();
  CLI::App* sub = app.add_subcommand("check", "Run the editors' OK validation on a configuration's files");
  sub->add_option("CONFIG_DIR", *folder, "The configuration folder")->required();
  sub->add_flag("--json", o->json, "Print JSON");
  sub->add_flag("--write", o->write, "Rewrite each file that passes as its dialog's OK would");
  return [o, folder](const Context& c) {
    o->folder = existingFolder(*folder, "configuration folder");
    return checkConfiguration(*o, programTexts(c), c.out, c.err);
  };
}

Runner mapCommand(CLI::App& app) {
  struct Options {
    std::string folder;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand("map", "Show the data array as the compiled image uses it");
  sub->add_option("CONFIG_DIR", o->folder, "The configuration folder")->required();
  sub->add_flag("--json", o->json, "Print JSON");
  return [o](const Context& c) {
    return mapConfiguration(existingFolder(o->folder, "configuration folder"), o->json, c.out, c.err);
  };
}

// Every command, in the order --help lists them.
constexpr Command kCommands[] = {compileCommand, dumpCommand, textsCommand, edsCommand, checkCommand, mapCommand};

std::string versionText() {
  return "konfex-cli " + std::string(kProgramVersion) + " (build " KONFEX_BUILD_VERSION ")";
}

}  // namespace

}  // namespace cli

int runCli(const std::vector<std::string>& args, const fs::path& programFolder, std::ostream& out, std::ostream& err) {
  using namespace cli;
  CLI::App app("Konfex without a window: compile, decode and inspect configurations.", "konfex-cli");
  auto formatter = std::make_shared<CLI::Formatter>();
  formatter->label("Usage", "usage");
  formatter->label("SUBCOMMAND", "COMMAND");
  formatter->label("SUBCOMMANDS", "COMMANDS");
  app.formatter(formatter);
  app.set_version_flag("--version", versionText());
  app.require_subcommand(1);

  std::vector<std::pair<CLI::App*, Runner>> commands;
  for (const Command add : kCommands) {
    Runner run = add(app);
    commands.emplace_back(app.get_subcommands([](CLI::App*) { return true; }).back(), std::move(run));
  }

  const Context context{programFolder, out, err};
  // "help" alone, as earlier versions took it.
  std::vector<std::string> reversed = args.size() == 1 && args[0] == "help" ? std::vector<std::string>{"--help"} : args;
  std::reverse(reversed.begin(), reversed.end());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return 0;
  } catch (const CLI::CallForAllHelp&) {
    out << app.help("", CLI::AppFormatMode::All);
    return 0;
  } catch (const CLI::CallForVersion& e) {
    out << e.what() << "\n";
    return 0;
  } catch (const CLI::ParseError& e) {
    complain(context, e.what());
    err << app.help();
    return 2;
  }

  for (const auto& [sub, run] : commands) {
    if (!sub->parsed()) continue;
    try {
      return run(context);
    } catch (const UsageError& e) {
      complain(context, e.what());
      err << sub->help(app.get_name());
      return 2;
    } catch (const Failure& e) {
      complain(context, e.what());
      return 1;
    } catch (const FileError& e) {
      complain(context, e.what());
      return 1;
    }
  }
  return 2;  // unreachable: one command is required
}

}  // namespace konfex
