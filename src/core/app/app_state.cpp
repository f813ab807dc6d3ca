#include "core/app/app_state.h"

#include <system_error>

#include "core/io/files.h"
#include "core/io/text.h"

namespace konfex {

namespace fs = std::filesystem;

namespace {

// The updater's program file under this platform's naming.
#ifdef _WIN32
constexpr const char* kUpdaterName = "Ethernet_Update.exe";
#else
constexpr const char* kUpdaterName = "Ethernet_Update";
#endif

// Absolute, without "." or ".." parts and without a trailing separator, so every path joined to it (and
// written into the job file) is absolute and clean.
fs::path cleanFolder(const fs::path& folder) {
  std::error_code ec;
  fs::path clean = fs::absolute(folder, ec).lexically_normal();
  if (ec) clean = folder.lexically_normal();
  if (!clean.has_filename() && clean.has_relative_path()) clean = clean.parent_path();
  return clean;
}

}  // namespace

WorkingFolders WorkingFolders::at(const fs::path& programFolder) {
  const fs::path program = cleanFolder(programFolder);
  return {program,
          program / "MASTER",
          program / "PROJECTS",
          program / "LANGUAGE",
          program / "Konfex.xml",
          program / kUpdaterName,
          program / "Ethernet_Update.xml"};
}

void WorkingFolders::createMissing() const {
  for (const fs::path* folder : {&master, &projects, &language}) {
    std::error_code ec;
    if (!fs::exists(*folder, ec)) fs::create_directory(*folder, ec);
  }
}

fs::path programFolder(const fs::path& executableFolder, const char* konfexHome) {
  if (konfexHome != nullptr && *konfexHome != '\0') return cleanFolder(utf8Path(konfexHome));
  return cleanFolder(executableFolder);
}

AppState::AppState(const fs::path& program, const fs::path& executableFolder) : folders_(WorkingFolders::at(program)) {
  if (!executableFolder.empty()) folders_.updater = executableFolder / folders_.updater.filename();
}

void AppState::startUp(TextTable& texts) {
  folders_.createMissing();
  readBack = true;
  SettingsRead read = readSettingsFile(folders_.settingsFile);
  settings_ = std::move(read.settings);
  settingsDamage_ = std::move(read.damage);
  settingsBackupKept_ = false;
  settings_.language = loadLanguage(texts, folders_.language, settings_.language);
  // Restore the last configuration only while its folder still exists.
  std::error_code ec;
  const std::string& name = settings_.projectName;
  const bool restorable = isConfigurationName(name) && fs::is_directory(folders_.projects / utf8Path(name), ec);
  setActiveConfiguration(restorable ? name : std::string());
}

void AppState::saveSettings() {
  if (settingsDamage_ && !settingsBackupKept_) {
    // The damaged file may hold what the user wants back: keep it before the first save replaces it.
    std::error_code ec;
    if (fs::exists(folders_.settingsFile, ec)) keepBackup(folders_.settingsFile);
    settingsBackupKept_ = true;
  }
  writeSettings(folders_.settingsFile, settings_);
}

void AppState::setActiveConfiguration(const std::string& name) {
  settings_.projectName = name;
  activeFolder_ = name.empty() ? fs::path() : folders_.projects / utf8Path(name);
  setFiles();
}

void AppState::setFiles() {
  paths_ = activeFolder_.empty() ? ProjectPaths{} : ProjectPaths::in(activeFolder_);
}

}  // namespace konfex
