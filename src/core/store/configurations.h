// Configurations: named folders in PROJECTS, each with a bin folder, and the paths of their files.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace konfex {

struct ProjectPaths {
  std::filesystem::path parGen;         // ParGen.xml
  std::filesystem::path connections;    // EtherNetIP_Master_Rules.xml
  std::filesystem::path receiveFrames;  // CAN_Rec_Frames.xml
  std::filesystem::path sendFrames;     // CAN_Send_Frames.xml
  std::filesystem::path bankImage;      // bin/bank.bin

  static ProjectPaths in(const std::filesystem::path& configurationFolder);
  bool operator==(const ProjectPaths&) const = default;
};

enum class CreateOutcome {
  Created,
  EmptyName,      // text 107
  AlreadyExists,  // text 106
  NotValid,       // text 105: the name leaves PROJECTS, names no folder of its own, or cannot be created
};

// A name that stays inside PROJECTS and names one folder of its own (not empty, ".", "..", no "/" or "\").
bool isConfigurationName(const std::string& name);

// The name is used exactly as typed. The folder and its bin folder are created.
CreateOutcome createConfiguration(const std::filesystem::path& projectsFolder, const std::string& name);
int messageTextFor(CreateOutcome outcome);

// The configuration folders in PROJECTS, hidden ones left out, sorted without regard to letter case.
std::vector<std::string> listConfigurations(const std::filesystem::path& projectsFolder);

// Index of the first name equal to `name` without regard to letter case; -1 when there is none.
int findConfiguration(const std::vector<std::string>& names, std::string_view name);

}  // namespace konfex
