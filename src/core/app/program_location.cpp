#include "core/app/program_location.h"

#include <array>
#include <cstdint>
#include <map>
#include <system_error>

#include "core/app/app_state.h"
#include "core/io/files.h"
#include "core/io/text.h"
#include "core/io/xml.h"

namespace konfex {

namespace fs = std::filesystem;

namespace {

// The folders of shipped data that seeding copies; PROJECTS and the settings are the user's alone.
constexpr std::array<const char*, 2> kShippedFolders = {"LANGUAGE", "MASTER"};

bool isSet(const char* value) {
  return value != nullptr && *value != '\0';
}

// FNV-1a, 64 bits: enough to tell whether a file is still the copy seeding made; not a security measure.
std::string contentHash(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) text[static_cast<std::size_t>(i)] = kDigits[hash & 0xF];
  return text;
}

using ShippedRecord = std::map<std::string, std::string>;  // relative path -> hash of the copy made

ShippedRecord readRecord(const fs::path& file) {
  ShippedRecord record;
  std::error_code ec;
  if (!fs::exists(file, ec)) return record;
  pugi::xml_document doc;
  try {
    loadXmlFile(doc, file, XmlText::DropBlankText);
  } catch (const FileError&) {
    return record;  // damaged: only missing files are copied, which is always safe
  }
  for (const pugi::xml_node entry : doc.child("Shipped").children("file")) {
    const auto path = attributeText(entry, "path");
    const auto hash = attributeText(entry, "hash");
    if (path && hash) record[std::string(*path)] = std::string(*hash);
  }
  return record;
}

void writeRecord(const fs::path& file, const ShippedRecord& record) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Shipped");
  for (const auto& [path, hash] : record) {
    pugi::xml_node entry = root.append_child("file");
    entry.append_attribute("path").set_value(path.c_str());
    entry.append_attribute("hash").set_value(hash.c_str());
  }
  writeFileAtomically(file, xmlToString(doc));
}

// Seeds one file; true when the record changed.
bool seedFile(const fs::path& source, const fs::path& target, const std::string& key, ShippedRecord& record) {
  const std::string shipped = readFile(source);
  const std::string shippedHash = contentHash(shipped);
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(target, ec);
  if (!fs::exists(status)) {
    fs::create_directories(target.parent_path(), ec);
    writeFileAtomically(target, shipped);
    record[key] = shippedHash;
    return true;
  }
  if (!fs::is_regular_file(status)) return false;  // a folder or link of the user's: not ours
  const auto known = record.find(key);
  if (known != record.end() && known->second == shippedHash) return false;  // already this version
  const std::string presentHash = contentHash(readFile(target));
  if (presentHash == shippedHash) {
    // Identical to what ships now (an earlier copy, or the record was lost): from here on it is ours to refresh.
    record[key] = shippedHash;
    return true;
  }
  if (known == record.end() || known->second != presentHash) return false;  // the user's content: keep it
  writeFileAtomically(target, shipped);  // still the older copy we made: bring it to the shipped version
  known->second = shippedHash;
  return true;
}

}  // namespace

fs::path shippedDataFolder(const fs::path& executableFolder) {
  const fs::path folder = (executableFolder / ".." / ".." / "share" / "konfex").lexically_normal();
  std::error_code ec;
  return fs::is_directory(folder, ec) ? folder : fs::path();
}

fs::path userDataFolder(const char* xdgDataHome, const char* home) {
  if (isSet(xdgDataHome)) {
    const fs::path data = utf8Path(xdgDataHome);
    if (data.is_absolute()) return (data / "konfex").lexically_normal();
  }
  if (isSet(home)) {
    const fs::path homeFolder = utf8Path(home);
    if (homeFolder.is_absolute()) return (homeFolder / ".local" / "share" / "konfex").lexically_normal();
  }
  return {};
}

ProgramLocation locateProgram(const fs::path& executableFolder, const ProgramEnvironment& env) {
  ProgramLocation location{programFolder(executableFolder, env.konfexHome), shippedDataFolder(executableFolder)};
  if (!isSet(env.konfexHome) && !location.shipped.empty()) {
    // Installed: the install folder is read-only, so the working folders belong to the user. Without any
    // usable home the executable's folder stays; writing there then fails with the usual messages.
    fs::path user = userDataFolder(env.xdgDataHome, env.home);
    if (!user.empty()) location.program = std::move(user);
  }
  // A build-tree run with KONFEX_HOME elsewhere: the build's own LANGUAGE and MASTER are what it ships.
  std::error_code ec;
  if (location.shipped.empty() && isSet(env.konfexHome) &&
      (fs::is_directory(executableFolder / "LANGUAGE", ec) || fs::is_directory(executableFolder / "MASTER", ec)))
    location.shipped = executableFolder;
  return location;
}

std::vector<std::string> seedProgramFolder(const fs::path& shipped, const fs::path& program) {
  std::vector<std::string> problems;
  std::error_code ec;
  // With its parents: a fresh ~/.local/share or a KONFEX_HOME that names a new folder.
  fs::create_directories(program, ec);
  if (ec) {
    problems.push_back("The program folder " + utf8String(program) + " could not be created: " + ec.message());
    return problems;
  }
  if (shipped.empty() || fs::equivalent(shipped, program, ec)) return problems;
  const fs::path recordFile = program / kShippedRecordName;
  ShippedRecord record = readRecord(recordFile);
  bool changed = false;
  for (const char* name : kShippedFolders) {
    const fs::path from = shipped / name;
    if (!fs::is_directory(from, ec)) continue;
    for (auto it = fs::recursive_directory_iterator(from, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      if (!it->is_regular_file(ec)) continue;
      const fs::path relative = it->path().lexically_relative(shipped);
      try {
        changed |= seedFile(it->path(), program / relative, relative.generic_string(), record);
      } catch (const FileError& e) {
        problems.push_back("The shipped file " + utf8String(it->path()) + " was not copied: " + e.what());
      }
    }
    if (ec) problems.push_back("The shipped folder " + utf8String(from) + " could not be read: " + ec.message());
    ec.clear();
  }
  if (changed) {
    try {
      writeRecord(recordFile, record);
    } catch (const FileError& e) {
      problems.push_back(std::string("The record of shipped files was not written: ") + e.what());
    }
  }
  return problems;
}

}  // namespace konfex
