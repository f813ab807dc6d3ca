// Whole-file reading and atomic writing: every file the program writes goes through a temporary file
// in the same folder that is renamed over the target, so a crash or a full disk never leaves half a file.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace konfex {

class FileError : public std::runtime_error {
 public:
  FileError(const std::filesystem::path& path, const std::string& reason);
  const std::filesystem::path& path() const { return path_; }
  const std::string& reason() const { return reason_; }

 private:
  std::filesystem::path path_;
  std::string reason_;
};

// Reads the whole file; throws FileError when it cannot be opened or read.
std::string readFile(const std::filesystem::path& path);

// Replaces the file with the bytes, or leaves it as it was and throws FileError.
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace konfex
