#include "core/store/configurations.h"

#include <algorithm>
#include <system_error>

#include "core/io/text.h"

namespace konfex {

namespace fs = std::filesystem;

bool isConfigurationName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\\') == std::string::npos && name.find('\0') == std::string::npos;
}

ProjectPaths ProjectPaths::in(const fs::path& folder) {
  return {folder / "ParGen.xml", folder / "EtherNetIP_Master_Rules.xml", folder / "CAN_Rec_Frames.xml",
          folder / "CAN_Send_Frames.xml", folder / "bin" / "bank.bin"};
}

CreateOutcome createConfiguration(const fs::path& projectsFolder, const std::string& name) {
  if (name.empty()) return CreateOutcome::EmptyName;
  if (!isConfigurationName(name)) return CreateOutcome::NotValid;
  const fs::path folder = projectsFolder / utf8Path(name);
  std::error_code ec;
  if (fs::is_directory(folder, ec)) return CreateOutcome::AlreadyExists;
  // One level only: a missing PROJECTS folder, a file of that name or a refused name all fail here.
  if (!fs::create_directory(folder, ec) || ec) return CreateOutcome::NotValid;
  fs::create_directories(folder / "bin", ec);
  return CreateOutcome::Created;
}

int messageTextFor(CreateOutcome outcome) {
  switch (outcome) {
    case CreateOutcome::EmptyName: return 107;
    case CreateOutcome::AlreadyExists: return 106;
    case CreateOutcome::NotValid: return 105;
    case CreateOutcome::Created: break;
  }
  return -1;
}

std::vector<std::string> listConfigurations(const fs::path& projectsFolder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(projectsFolder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_directory(typeError)) continue;
    std::string name = utf8String(it->path().filename());
    if (name.empty() || name.front() == '.') continue;  // hidden
    names.push_back(std::move(name));
  }
  // Directory order is arbitrary on Linux; list the names as a user expects them.
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return lessNoCase(a, b); });
  return names;
}

int findConfiguration(const std::vector<std::string>& names, std::string_view name) {
  for (size_t i = 0; i < names.size(); ++i)
    if (equalsNoCase(names[i], name)) return static_cast<int>(i);
  return -1;
}

}  // namespace konfex
