#include "project_commands.h"

#include <cstdio>
#include <ostream>
#include <string>
#include <system_error>

#include "cli_command.h"

#include "core/editors/table_editor.h"
#include "core/image/data_map.h"
#include "core/io/files.h"
#include "core/io/text.h"
#include "core/lang/messages.h"

namespace konfex {

namespace fs = std::filesystem;
using json = cli::Json;

namespace {

struct FileReport {
  std::string file;
  std::string status;  // ok, failed, missing, malformed
  std::optional<std::string> message;
  std::vector<std::string> warnings;
};

FileReport checkFile(EditorModel& model, const fs::path& file, const TextTable& texts, bool write) {
  FileReport report{model.fileName(), "ok", std::nullopt, {}};
  const LoadResult loaded = model.load(file);
  if (loaded.status == LoadResult::Status::Missing) {
    report.status = "missing";
    return report;
  }
  if (loaded.status == LoadResult::Status::Malformed) {
    report.status = "malformed";
    report.message = loaded.error;
    return report;
  }
  report.warnings = model.warnings();
  if (auto failure = model.validate(texts)) {
    report.status = "failed";
    report.message = std::move(failure);
    return report;
  }
  if (write) {
    try {
      model.save(file);
    } catch (const FileError& e) {
      report.status = "failed";
      report.message = texts.message(msg::kFileNotSaved, {e.what()});
    }
  }
  return report;
}

std::string hexText(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

std::string ipText(const std::array<uint8_t, 4>& ip) {
  return std::to_string(ip[0]) + "." + std::to_string(ip[1]) + "." + std::to_string(ip[2]) + "." +
         std::to_string(ip[3]);
}

json useJson(const ByteUse& use) {
  return {{"row", use.row}, {"cobId", hexText(use.identifier)}, {"extended", use.extended}, {"byte", use.byte}};
}

std::string useText(const char* table, const ByteUse& use) {
  return std::string(table) + " row " + std::to_string(use.row) + " (CobID " + hexText(use.identifier) +
         (use.extended ? ", 29-bit" : "") + ", byte " + std::to_string(use.byte) + ")";
}

void printMapText(const DataMap& map, std::ostream& out) {
  out << "data array: " << map.positions.size() << " of " << kDataArraySize << " positions in use, "
      << map.conflicts.size() << " conflicts; " << map.receiveFrames << " receive and " << map.sendFrames
      << " send frames\n";
  for (const PositionUse& at : map.positions) {
    out << at.position << ":";
    if (at.conflict()) out << " CONFLICT:";
    const char* separator = " put by ";
    for (const ByteUse& use : at.puts) {
      out << separator << useText("receive", use);
      separator = ", ";
    }
    if (!at.takes.empty()) {
      out << (at.puts.empty() ? " put by no receive frame (EtherNet/IP side or a mistake);" : ";") << " taken by ";
      separator = "";
      for (const ByteUse& use : at.takes) {
        out << separator << useText("send", use);
        separator = ", ";
      }
    }
    out << '\n';
  }
  for (const DataMap::Outside& o : map.outside)
    out << "outside the array: position " << o.position << " of " << useText(o.send ? "send" : "receive", o.use)
        << '\n';
  out << "EtherNet/IP: " << map.connections.size() << " connections, input " << map.inputTotal << " bytes, output "
      << map.outputTotal << " bytes\n";
  for (const ConnectionArea& c : map.connections)
    out << "connection " << c.record << " " << ipText(c.ip) << ": input offset " << c.inputOffset << " length "
        << c.numInput << ", output offset " << c.outputOffset << " length " << c.numOutput << '\n';
}

json mapJson(const DataMap& map) {
  json positions = json::array();
  for (const PositionUse& at : map.positions) {
    json puts = json::array(), takes = json::array();
    for (const ByteUse& use : at.puts) puts.push_back(useJson(use));
    for (const ByteUse& use : at.takes) takes.push_back(useJson(use));
    positions.push_back({{"position", at.position},
                         {"puts", std::move(puts)},
                         {"takes", std::move(takes)},
                         {"conflict", at.conflict()},
                         {"notPutByCan", at.takenWithoutPut()}});
  }
  json outside = json::array();
  for (const DataMap::Outside& o : map.outside) {
    json entry = useJson(o.use);
    entry["table"] = o.send ? "send" : "receive";
    entry["position"] = o.position;
    outside.push_back(std::move(entry));
  }
  json connections = json::array();
  for (const ConnectionArea& c : map.connections)
    connections.push_back({{"record", c.record},
                           {"ipAddress", ipText(c.ip)},
                           {"input", {{"offset", c.inputOffset}, {"length", c.numInput}}},
                           {"output", {{"offset", c.outputOffset}, {"length", c.numOutput}}}});
  return {
      {"arraySize", kDataArraySize},
      {"receiveFrames", map.receiveFrames},
      {"sendFrames", map.sendFrames},
      {"positions", std::move(positions)},
      {"conflicts", map.conflicts},
      {"outside", std::move(outside)},
      {"etherNetIP",
       {{"inputTotal", map.inputTotal}, {"outputTotal", map.outputTotal}, {"connections", std::move(connections)}}}};
}

}  // namespace

int checkConfiguration(const CheckOptions& options, const TextTable& texts, std::ostream& out, std::ostream&) {
  std::vector<FileReport> reports;
  // One table of editors: every file goes through the model its dialog uses.
  for (const auto& model : makeEditorModels())
    reports.push_back(checkFile(*model, options.folder / model->fileName(), texts, options.write));

  bool pass = true;
  for (const FileReport& r : reports) pass = pass && (r.status == "ok" || r.status == "missing");
  if (options.json) {
    json files = json::array();
    for (const FileReport& r : reports)
      files.push_back({{"file", r.file},
                       {"status", r.status},
                       {"message", r.message ? json(*r.message) : json(nullptr)},
                       {"warnings", r.warnings}});
    cli::printJson(out, json{{"files", std::move(files)}});
  } else {
    for (const FileReport& r : reports) {
      out << r.file << ": " << r.status;
      if (r.message) out << ": " << *r.message;
      out << '\n';
      for (const std::string& w : r.warnings) out << "  warning: " << w << '\n';
    }
  }
  return pass ? 0 : 1;
}

int mapConfiguration(const fs::path& folder, bool asJson, std::ostream& out, std::ostream& err) {
  DataMap map;
  try {
    map = buildDataMap(compileImage(ProjectPaths::in(folder)));
  } catch (const FileError& e) {
    err << "konfex-cli: " << e.what() << '\n';
    return 1;
  }
  if (asJson)
    cli::printJson(out, mapJson(map));
  else
    printMapText(map, out);
  return 0;
}

}  // namespace konfex
