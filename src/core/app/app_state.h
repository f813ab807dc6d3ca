// The process-wide state: working folders, settings, the active configuration and the values
// every dialog reads. One object, owned by the main window and handed to each dialog by reference.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/app/settings.h"
#include "core/lang/text_table.h"
#include "core/store/configurations.h"

namespace konfex {

struct WorkingFolders {
  std::filesystem::path program;
  std::filesystem::path master;
  std::filesystem::path projects;
  std::filesystem::path language;
  std::filesystem::path settingsFile;
  std::filesystem::path updater;
  std::filesystem::path updaterJob;

  static WorkingFolders at(const std::filesystem::path& programFolder);
  // Creates MASTER, PROJECTS and LANGUAGE where missing (one level; failures show later).
  void createMissing() const;
};

// The program folder: KONFEX_HOME when it is set and not empty, else the executable's folder.
std::filesystem::path programFolder(const std::filesystem::path& executableFolder, const char* konfexHome);

class AppState {
 public:
  // The updater is one of the programs beside the executable, so it is looked for in executableFolder (when
  // given) even where the program folder is elsewhere (KONFEX_HOME, per-user folder); its job file is not.
  explicit AppState(const std::filesystem::path& programFolder, const std::filesystem::path& executableFolder = {});

  // Start-up: folders, settings, language, last configuration, project paths.
  void startUp(TextTable& texts);
  // Writes Konfex.xml; throws FileError. A settings file that was damaged at start is first kept as
  // Konfex.xml.bak (once per run, so later saves do not replace that copy with our own file).
  void saveSettings();
  // Why Konfex.xml could not be used at start (the parser's message and position); nullopt when it was
  // fine or missing.
  const std::optional<std::string>& settingsDamage() const { return settingsDamage_; }

  const WorkingFolders& folders() const { return folders_; }
  Settings& settings() { return settings_; }
  const Settings& settings() const { return settings_; }

  bool hasActiveConfiguration() const { return !activeFolder_.empty(); }
  const std::string& activeName() const { return settings_.projectName; }
  const std::filesystem::path& activeFolder() const { return activeFolder_; }
  const ProjectPaths& projectPaths() const { return paths_; }
  // An empty name makes no configuration active.
  void setActiveConfiguration(const std::string& name);

  bool updateTimerWanted() const { return settings_.enableInternet && settings_.enableUpdate; }

  // Remembered for the device update during this run only.
  int updateOptionIndex = 0;
  bool readBack = true;
  // The row clipboard shared by every table editor.
  std::vector<std::string> rowClipboard;

 private:
  void setFiles();

  WorkingFolders folders_;
  Settings settings_;
  std::optional<std::string> settingsDamage_;
  bool settingsBackupKept_ = false;
  std::filesystem::path activeFolder_;
  ProjectPaths paths_;
};

}  // namespace konfex
