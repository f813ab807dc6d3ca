// Where the working folders live. A build-tree run keeps them beside the executable; an installed program
// (read-only install folder) keeps them in a per-user folder and seeds it from the data the package ships.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace konfex {

// The environment variables the rule reads; null when unset.
struct ProgramEnvironment {
  const char* konfexHome = nullptr;
  const char* xdgDataHome = nullptr;
  const char* home = nullptr;
};

struct ProgramLocation {
  // The program folder: working folders, settings and the updater's job file.
  std::filesystem::path program;
  // The shipped LANGUAGE and MASTER data: an installed program's share folder, or the build's own folder when
  // KONFEX_HOME moves a build-tree run elsewhere; else empty.
  std::filesystem::path shipped;
};

// The shipped data folder of an installed program: `<prefix>/share/konfex` beside the executables in
// `<prefix>/lib/konfex`. Its presence is what tells an installed program from a build-tree run.
// Empty when there is none.
std::filesystem::path shippedDataFolder(const std::filesystem::path& executableFolder);

// `$XDG_DATA_HOME/konfex`, or `$HOME/.local/share/konfex` when XDG_DATA_HOME is unset, empty or relative
// (relative values are invalid by the XDG rules). Empty when neither gives an absolute folder.
std::filesystem::path userDataFolder(const char* xdgDataHome, const char* home);

// KONFEX_HOME when set wins; else an installed program uses the per-user folder; else the executable's folder.
ProgramLocation locateProgram(const std::filesystem::path& executableFolder, const ProgramEnvironment& env);

// The record of what seeding copied, in the program folder: path and content hash of each shipped copy.
inline constexpr const char* kShippedRecordName = ".shipped.xml";

// Creates the program folder (with its parents) and copies the shipped LANGUAGE and MASTER files into it where
// they are missing (none in a build tree, where `shipped` is empty).
// A file that is still byte for byte the copy an earlier start made is replaced by a newer shipped version;
// any other file there (changed by the user, or the user's own) is never touched. Returns one message per
// problem (nothing copied for that file); the program starts anyway.
std::vector<std::string> seedProgramFolder(const std::filesystem::path& shipped, const std::filesystem::path& program);

}  // namespace konfex
