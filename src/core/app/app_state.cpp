#include "core/app/app_state.h"

#include <system_error>

#include "core/io/text.h"

namespace konfex {

namespace fs = std::filesystem;

WorkingFolders WorkingFolders::at(const fs::path& program) {
  return {program,
          program / "MASTER",
          program / "PROJECTS",
          program / "LANGUAGE",
          program / "Konfex.xml",
          program / "Ethernet_Update.exe",
          program / "Ethernet_Update.xml"};
}

void WorkingFolders::createMissing() const {
  for (const fs::path* folder : {&master, &projects, &language}) {
    std::error_code ec;
    if (!fs::exists(*folder, ec)) fs::create_directory(*folder, ec);
  }
}

fs::path programFolder(const fs::path& executableFolder, const char* konfexHome) {
  if (konfexHome != nullptr && *konfexHome != '\0') return fs::absolute(utf8Path(konfexHome)).lexically_normal();
  return executableFolder;
}

AppState::AppState(const fs::path& program) : folders_(WorkingFolders::at(program)) {}

void AppState::startUp(TextTable& texts) {
  folders_.createMissing();
  readBack = true;
  settings_ = readSettings(folders_.settingsFile);
  settings_.language = loadLanguage(texts, folders_.language, settings_.language);
  // Restore the last configuration only while its folder still exists.
  std::error_code ec;
  const std::string& name = settings_.projectName;
  const bool restorable = isConfigurationName(name) && fs::is_directory(folders_.projects / utf8Path(name), ec);
  setActiveConfiguration(restorable ? name : std::string());
}

void AppState::saveSettings() const {
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
