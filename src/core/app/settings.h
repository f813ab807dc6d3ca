// The global settings file Konfex.xml.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace konfex {

struct Settings {
  std::string projectName;  // the active configuration's name; empty when none
  std::string lastDeviceIp = "192.168.2.205";
  std::string language = "English";
  bool enableInternet = false;
  bool enableUpdate = false;
  bool enableJumpFieldTables = false;
  bool doubleClickAutoSize = false;

  bool operator==(const Settings&) const = default;
};

struct SettingsRead {
  Settings settings;
  // Set when the file exists but is not well-formed XML: the parser's complaint with its position. The
  // settings are then the defaults.
  std::optional<std::string> damage;
};

// Never fails: a missing or damaged file gives the defaults, a missing value its own default.
SettingsRead readSettingsFile(const std::filesystem::path& file);
Settings readSettings(const std::filesystem::path& file);
Settings settingsFromXml(std::string_view xml);
std::string settingsXml(const Settings& settings);
// Writes atomically; throws FileError when the file cannot be written.
void writeSettings(const std::filesystem::path& file, const Settings& settings);

}  // namespace konfex
