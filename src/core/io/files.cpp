#include "core/io/files.h"

#include <cerrno>
#include <fstream>
#include <random>
#include <system_error>

#include "core/io/text.h"

namespace konfex {

namespace fs = std::filesystem;

namespace {

std::string lastErrorText() {
  const int code = errno;
  return code != 0 ? std::generic_category().message(code) : std::string("unknown error");
}

fs::path temporarySibling(const fs::path& target) {
  std::random_device seed;
  std::mt19937_64 gen(seed());
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string suffix = ".tmp-";
  for (int i = 0; i < 10; ++i) suffix.push_back(kDigits[gen() % 36]);
  fs::path tmp = target;
  tmp += suffix;
  return tmp;
}

}  // namespace

FileError::FileError(const fs::path& path, const std::string& reason)
    : std::runtime_error(utf8String(path) + ": " + reason), path_(path), reason_(reason) {}

std::string readFile(const fs::path& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) throw FileError(path, "is a folder, not a file");
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FileError(path, "cannot open for reading: " + lastErrorText());
  // Read in blocks rather than trusting a size: special files report none.
  std::string bytes;
  char block[65536];
  while (in.read(block, sizeof block) || in.gcount() > 0) bytes.append(block, static_cast<size_t>(in.gcount()));
  if (in.bad()) throw FileError(path, "read failed: " + lastErrorText());
  return bytes;
}

void writeFileAtomically(const fs::path& path, std::string_view bytes) {
  std::error_code ec;
  const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
  if (!fs::is_directory(folder, ec)) throw FileError(path, "folder does not exist: " + utf8String(folder));
  if (fs::is_directory(path, ec)) throw FileError(path, "a folder of that name is in the way");

  const fs::path tmp = temporarySibling(path);
  {
    errno = 0;
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) throw FileError(path, "cannot create file: " + lastErrorText());
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      const std::string reason = "write failed: " + lastErrorText();
      out.close();
      fs::remove(tmp, ec);
      throw FileError(path, reason);
    }
    out.close();
    if (!out) {
      const std::string reason = "write failed on close: " + lastErrorText();
      fs::remove(tmp, ec);
      throw FileError(path, reason);
    }
  }
  fs::rename(tmp, path, ec);
  if (ec) {
    const std::string reason = "cannot replace file: " + ec.message();
    std::error_code ignored;
    fs::remove(tmp, ignored);
    throw FileError(path, reason);
  }
}

}  // namespace konfex
