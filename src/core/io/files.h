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

// Replaces the file with the bytes, or leaves it as it was and throws FileError. The bytes and then the
// folder are flushed to disk, so after a crash or power cut the file is the old one or the new one. A
// save that is killed leaves no temporary behind: where the system has unnamed files (O_TMPFILE) the
// data never has a name before it is complete, and temporaries that an earlier save left
// (<name>.tmp-<10 letters or digits>) are removed by the next save of the same file.
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Keeps a copy of the file as <file>.bak (written atomically, replacing an older copy) and returns its
// path; throws FileError when the file cannot be read or the copy cannot be written.
std::filesystem::path keepBackup(const std::filesystem::path& file);

namespace detail {
// allowUnnamedTemporary false: always the named temporary, as on systems without unnamed files (tests).
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, bool allowUnnamedTemporary);
}  // namespace detail

}  // namespace konfex
