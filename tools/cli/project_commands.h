// The commands of konfex-cli that read a whole configuration folder: check (the editors' OK validation)
// and map (the data array as the compiled image uses it).
#pragma once

#include <filesystem>
#include <iosfwd>

#include "core/lang/text_table.h"

namespace konfex {

struct CheckOptions {
  std::filesystem::path folder;
  bool json = false;
  bool write = false;
};
// Exit 0 when every present file passes, 1 when one fails or is malformed.
int checkConfiguration(const CheckOptions& options, const TextTable& texts, std::ostream& out, std::ostream& err);

// Exit 0, or 1 when a project file is malformed or cannot be read.
int mapConfiguration(const std::filesystem::path& folder, bool asJson, std::ostream& out, std::ostream& err);

}  // namespace konfex
